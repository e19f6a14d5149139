#include "app/clock.h"

#include <QRegularExpression>

namespace kelvaron {

QString clockText(const QTime& time) { return time.toString(QStringLiteral("HH:mm:ss")); }

bool isArmedHour(const QString& comboText, const QTime& now) {
  if (!now.isValid() || comboText == QLatin1String(kUnarmed)) return false;
  return clockText(now).left(2) == comboText;
}

QString armedHourText(const QString& typed) {
  const QString text = typed.trimmed();
  if (text.isEmpty() || text == QLatin1String(kUnarmed)) return QString::fromLatin1(kUnarmed);
  static const QRegularExpression hourPattern(QStringLiteral("^([0-9]{1,2})(:00)?$"));
  const QRegularExpressionMatch match = hourPattern.match(text);
  if (!match.hasMatch()) return {};
  const int hour = match.captured(1).toInt();
  return hour < 24 ? QStringLiteral("%1").arg(hour, 2, 10, QLatin1Char('0')) : QString();
}

}  // namespace kelvaron
