#include "platform/problem.h"

namespace kelvaron {

QString Problem::message() const {
  // An empty name is shown as one, not as nothing between two words.
  const QString shown = path.isEmpty() ? QStringLiteral("\"\"") : path;
  switch (kind) {
    case Kind::CannotSearch:
      return QStringLiteral("cannot search %1: %2").arg(shown, reason);
    case Kind::CannotRead:
      return QStringLiteral("cannot read %1: %2").arg(shown, reason);
    case Kind::CannotWrite:
      return QStringLiteral("cannot write %1: %2").arg(shown, reason);
    case Kind::Usage:
    case Kind::Incomplete:
      break;
  }
  return path.isEmpty() ? reason : QStringLiteral("%1: %2").arg(shown, reason);
}

}  // namespace kelvaron
