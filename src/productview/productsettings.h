#pragma once
// The product view's remembered folders, in the window's settings store.

#include <QStringList>

namespace kelvaron::productview {

/// The keys, in the group of the window's other settings.
inline constexpr char kSearchFoldersKey[] = "SearchFolders.List";
inline constexpr char kExportFolderKey[] = "ExportFolder.Path";

/// The folders searched for component files after each assembly's own; none at first.
QStringList savedSearchFolders();
void saveSearchFolders(const QStringList& folders);

/// The folder the last export went to; the home folder at first.
QString savedExportFolder();
void saveExportFolder(const QString& folder);

}  // namespace kelvaron::productview
