#pragma once
// The one folder walk of the program: the window's folder scan and the CLI's
// FOLDER arguments both go through it (by way of cFindFile).

#include "platform/dirlisting.h"

#include <QString>

namespace kelvaron {

/// A visitor's answer, as ripgrep's WalkState.
enum class WalkState {
  Continue,  ///< go on
  Skip,      ///< from enter(): leave the rest of the current folder's subfolders
  Stop,      ///< end the whole walk now
};

/// One entry of a folder as the listing gave it; nothing is asked of the file
/// system again to fill it.
struct WalkEntry {
  QString name;           ///< the entry's name, program form
  QString path;           ///< the folder's path with its separator, then the name
  bool isFolder = false;  ///< a real folder (a link to one is not, though it is entered)
  bool isLink = false;    ///< a symbolic link
  platform::FolderId id;  ///< device and inode as the listing knows them (0 where unknown)
};

/// What the walk tells and asks. Every member has a default, so a visitor
/// overrides only what it needs.
class WalkVisitor {
 public:
  virtual ~WalkVisitor() = default;
  /// Each entry of a folder matching the walk's pattern, in name order,
  /// before any subfolder of that folder is entered.
  virtual WalkState visit(const WalkEntry&) { return WalkState::Continue; }
  /// Asked before the walk enters the subfolder `folder`; Skip leaves this
  /// one and the current folder's remaining subfolders.
  virtual WalkState enter(const WalkEntry&) { return WalkState::Continue; }
  /// Told after each entry fetched from the system, so a window can serve its
  /// event queue; Stop ends the walk at once.
  virtual WalkState fetched() { return WalkState::Continue; }
  /// Told of a folder that cannot be opened or listed (`folder` without the
  /// trailing separator, `reason` such as "Permission denied"); the walk goes
  /// on with the next one.
  virtual void unreadable(const QString& folder, const QString& reason) {
    (void)folder;
    (void)reason;
  }
};

/// Walks `folder` ("" is the root folder) pre-order and depth first. Each
/// folder is listed once, in case-insensitive name order; its entries that
/// match the wildcard `pattern` (folders and links included) go to
/// visitor.visit(), then its subfolders are entered in the same order unless
/// `recurse` is false. Links to folders are entered like folders, after the
/// real subfolders of the same folder; no real
/// folder (device, inode) is entered twice, so a link loop or a bind mount
/// ends; a dangling link or a link to a file is not entered. A folder that
/// cannot be opened or listed goes to visitor.unreadable() (the walk holds
/// one open folder per level, so running out of descriptors in a very deep
/// tree is told the same way). Returns false when the visitor answered Stop.
bool walkFolder(const QString& folder, QStringView pattern, bool recurse, WalkVisitor& visitor);

}  // namespace kelvaron
