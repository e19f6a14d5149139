#include "app/clock.h"

namespace kelvaron {

QString clockText(const QTime& time) { return time.toString(QStringLiteral("HH:mm:ss")); }

bool isArmedHour(const QString& comboText, const QTime& now) {
  if (!now.isValid() || comboText == QLatin1String(kUnarmed)) return false;
  return clockText(now).left(2) == comboText;
}

}  // namespace kelvaron
