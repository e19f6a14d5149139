#include "app/commandline.h"

namespace kelvaron {

QString commandLineText(const QStringList& arguments) { return arguments.join(QLatin1Char(' ')); }

QString commandLinePath(const QString& text) {
  if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
    return text.mid(1, text.size() - 2);
  return text;
}

}  // namespace kelvaron
