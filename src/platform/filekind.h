#pragma once
// The one place that asks the file system what a path names.

#include <QString>

namespace kelvaron::platform {

/// True when `path` names an existing folder (a link to one counts). Never
/// fails; an empty text gives false.
bool isFolder(const QString& path);

/// True when `path` names an existing regular file (a link to one counts).
/// Never fails; an empty text gives false.
bool isFile(const QString& path);

}  // namespace kelvaron::platform
