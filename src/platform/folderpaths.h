#pragma once
// Folder texts as the stock lists keep them: absolute, clean, the root as "/"
// and every other folder without a closing separator. Names may hold bytes
// that are invalid in UTF-8 (kept as U+DC80 + byte, see nativepath.h).

#include <QString>
#include <QStringList>

namespace kelvaron::platform {

/// `text` as an absolute clean folder text ("/a//b/" gives "/a/b"); a relative
/// text is taken from the working folder; empty text gives empty text.
QString cleanFolderPath(const QString& text);

/// The folder a list starts in: the home folder, else the root.
QString startFolder();

/// What moving a list from its clean folder `current` to the folder text
/// `text` comes to.
enum class FolderMove {
  None,   ///< `text` names no existing folder: the list stays
  Same,   ///< `text` names `current`: the list is refreshed
  Moved,  ///< `current` now holds the new folder
};
FolderMove moveFolder(QString& current, const QString& text);

/// The folder that holds the clean path `path`; empty for a root ("/", "C:/").
QString parentFolder(const QString& path);

/// True when the clean folder `folder` is `root` or lies below it.
bool folderIsWithin(const QString& folder, const QString& root);

/// `folder` joined with one entry `name`, with one separator after a root.
QString childPath(const QString& folder, const QString& name);

/// The names of the subfolders (`folders` true, links to folders included) or
/// the regular files of `folder` that match the wildcard `pattern`, sorted by
/// name with letter case ignored, hidden (dot) entries left out. A folder that
/// cannot be read gives an empty list.
QStringList folderEntries(const QString& folder, bool folders, QStringView pattern = u"*");

}  // namespace kelvaron::platform
