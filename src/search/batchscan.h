#pragma once
// The walk of a folder scan, shared by the window and the command line:
// collect every assembly under a folder in walk order, and tell which matches
// are folders to skip. Knows nothing of the analysis, reports or widgets.

#include "analysis/pathhelpers.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace kelvaron {

/// The pattern a folder scan collects: plain and versioned assemblies.
inline constexpr char16_t kAssemblyPattern[] = u"*.asm.*";

/// What the walk of a folder scan found.
struct FolderMatches {
  QStringList paths;     ///< full paths of the matches, in walk order
  bool stopped = false;  ///< a stop request ended the walk before its end
};

/// Hooks into the walk; all optional.
struct WalkHooks {
  /// Asked before each descent into a subfolder; once it answers true, every
  /// further descent is refused too, so the whole walk unwinds.
  std::function<bool()> stopRequested = {};
  /// Told of each match as it is found (for a running count).
  std::function<void(const QString& path)> found = {};
  /// Called after each directory entry fetched (for an event queue).
  std::function<void()> yield = {};
};

/// Walks `folder` and all its subfolders with a cFindFile and collects every
/// entry matching "*.asm.*" (folders included), a folder's own matches before
/// those of its subfolders. A stop keeps what was found up to then. A missing
/// folder gives no paths. Throws FindFileError when a hook throws.
FolderMatches collectAssemblies(const QString& folder, const WalkHooks& hooks = {});

/// The note for a collected path that is a folder (or a link to one), such as
/// "skipped /a/old.asm.1: a folder, not a file"; empty for anything else.
QString folderSkipNote(const QString& path);

/// Of the versions name.asm.N in one folder keeps only the one with the
/// highest N; a plain name.asm counts as version 0. Names are grouped per
/// folder and per base name with letter case ignored (as on Windows); on a
/// tie the first path is kept. Other names pass through. The order of `paths`
/// is kept. Example: {"/p/a.asm", "/p/a.asm.2", "/p/b.asm.1", "/q/a.asm.1"}
/// gives {"/p/a.asm.2", "/p/b.asm.1", "/q/a.asm.1"}.
QStringList latestVersions(const QStringList& paths, PathStyle style = nativePathStyle());

}  // namespace kelvaron
