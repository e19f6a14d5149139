#pragma once
// Opening a file with the program the desktop associates with its type.

#include <QString>
#include <functional>

class QObject;

namespace kelvaron {

/// Hands the file `path` to the desktop's program for its type and returns
/// without waiting for that program. When no program takes the file,
/// `failed` gets the reason ("no program on this desktop opens it"): at once,
/// or, where the desktop's opener runs as a process of its own (xdg-open),
/// when that process ends with an error; never after `context` is gone.
void openWithDesktop(const QString& path, QObject* context, std::function<void(const QString& reason)> failed);

}  // namespace kelvaron
