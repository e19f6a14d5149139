#pragma once
// What a folder scan collects: every assembly under a folder in walk order,
// with what the listing knew of each. Shared by the window and the command
// line; knows nothing of the analysis, reports or widgets.

#include "platform/assemblyname.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace kelvaron {

class cFindFile;

/// One match of a folder scan.
struct FoundEntry {
  QString path;           ///< full path, program form
  bool isFolder = false;  ///< a real folder named like an assembly
  bool isLink = false;    ///< a symbolic link (to a file or a folder)
};

/// What the walk of a folder scan found.
struct FolderMatches {
  std::vector<FoundEntry> entries;  ///< in walk order
  bool stopped = false;             ///< a stop request ended the walk before its end
  QStringList errors;               ///< "cannot search DIR: reason" for each folder not searched
};

/// Hooks into the walk; all optional.
struct WalkHooks {
  /// Asked before each descent into a subfolder; once it answers true, every
  /// further descent is refused too, so the whole walk unwinds.
  std::function<bool()> stopRequested = {};
  /// Told of each match as it is found (for a running count).
  std::function<void(const FoundEntry& entry)> found = {};
  /// Called after each directory entry fetched; false ends the walk at once.
  std::function<bool()> yield = {};
};

/// Walks `folder` and all its subfolders with `finder` and collects every
/// entry matching "*.asm.*" (folders included), a folder's own matches before
/// those of its subfolders. A stop keeps what was found up to then. A folder
/// that cannot be opened or listed (the start folder included) gives an
/// error and the walk goes on. Throws FindFileError when a hook throws.
FolderMatches collectAssemblies(cFindFile& finder, const QString& folder, const WalkHooks& hooks = {});

/// The note for a match that is a folder (or a link to one), such as
/// "skipped /a/old.asm.1: a folder, not a file"; empty for anything else.
/// Only a link is looked up: the listing already told what the rest is.
QString folderSkipNote(const FoundEntry& entry);

/// Of the versions name.asm.N in one folder keeps only the one with the
/// highest N; a plain name.asm counts as version 0. Names are grouped per
/// folder and per base name with letter case ignored (as on Windows); on a
/// tie the first path is kept. Other names pass through. The order of `paths`
/// is kept. Example: {"/p/a.asm", "/p/a.asm.2", "/p/b.asm.1", "/q/a.asm.1"}
/// gives {"/p/a.asm.2", "/p/b.asm.1", "/q/a.asm.1"}.
QStringList latestVersions(const QStringList& paths, PathStyle style = nativePathStyle());

}  // namespace kelvaron
