#pragma once
// The one error of every layer that reads or writes files.

#include "platform/nativepath.h"

#include <QString>

namespace kelvaron::platform {

/// A file that could not be read or written, and why. Its message is
/// "cannot read PATH: reason" or "cannot write PATH: reason", the path shown
/// with displayPath().
struct FileError {
  enum class Action { Read, Write };
  Action action = Action::Read;
  QString path;
  QString reason;

  QString message() const {
    return QStringLiteral("cannot %1 %2: %3")
        .arg(action == Action::Read ? QStringLiteral("read") : QStringLiteral("write"), displayPath(path), reason);
  }
};

}  // namespace kelvaron::platform
