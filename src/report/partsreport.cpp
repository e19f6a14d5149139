#include "report/partsreport.h"

#include "platform/nativefile.h"
#include "platform/nativepath.h"

#include <QLocale>
#include <QStringEncoder>

namespace kelvaron {

namespace {

const QString kRule(50, u'-');
const QString kFooter = QStringLiteral("Kelvaron " KELVARON_VERSION " - detecting Parts in Pro/ENGINEER Assemblies");

}  // namespace

QString reportPath(const QString& folder, const QString& assemblyPath, PathStyle style) {
  const QString name = Zerlege(assemblyPath, style) + QLatin1String(kReportSuffix);
  if (style == PathStyle::Windows) {
    // A drive root such as C:\ already ends in its separator.
    return folder.size() > 3 ? folder + u'\\' + name : folder + name;
  }
  if (folder.isEmpty() || folder.endsWith(u'/')) return folder + name;
  return folder + u'/' + name;
}

QStringList reportLines(const QString& assemblyPath, const QStringList& entries, const QDate& date) {
  QStringList lines;
  lines.reserve(entries.size() + 6);
  lines << platform::displayPath(assemblyPath) << kRule;
  if (!entries.isEmpty()) lines << QStringLiteral("\r");
  lines << entries << kRule << kFooter << QLocale::system().toString(date, QLocale::ShortFormat);
  return lines;
}

QByteArray formatReport(const QString& assemblyPath, const QStringList& entries, const QDate& date) {
  QString text;
  const QStringList lines = reportLines(assemblyPath, entries, date);
  qsizetype size = 0;
  for (const QString& line : lines) size += line.size() + 2;
  text.reserve(size);
  for (const QString& line : lines) {
    text += line;
    text += QLatin1String("\r\n");
  }
  QStringEncoder encode(QStringConverter::System);
  return encode(text);
}

bool saveReport(const QString& path, const QByteArray& bytes, QString* error) {
  QString reason;
  if (platform::writeFileAtomically(path, bytes.constData(), bytes.size(), &reason)) return true;
  if (error) *error = QStringLiteral("cannot write %1: %2").arg(platform::displayPath(path), reason);
  return false;
}

}  // namespace kelvaron
