#include "report/partsreport.h"

#include "platform/nativefile.h"
#include "platform/nativepath.h"

#include <QLocale>
#include <QStringEncoder>

#include <algorithm>

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

bool ReportWriter::open(const QString& path, const QString& assemblyPath, bool hasEntries, QString* error) {
  m_path = path;
  QString reason;
  if (!m_file.open(path, &reason)) {
    if (error) *error = QStringLiteral("cannot write %1: %2").arg(platform::displayPath(path), reason);
    return false;
  }
  addLine(platform::displayPath(assemblyPath));
  addLine(kRule);
  if (hasEntries) addLine(QStringLiteral("\r"));
  return true;
}

void ReportWriter::addLine(const QString& line) {
  QStringEncoder encode(QStringConverter::System);
  const QByteArray bytes = encode(line);
  m_file.write(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  m_file.write("\r\n", 2);
}

void ReportWriter::addEntry(const QString& entry) { addLine(entry); }

void ReportWriter::addEntry(std::string_view latin1) {
  // ASCII reads the same in every encoding a report is written in.
  if (std::all_of(latin1.begin(), latin1.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    m_line.assign(latin1);
    m_line += "\r\n";
    m_file.write(m_line);
    return;
  }
  addLine(QString::fromLatin1(latin1.data(), static_cast<qsizetype>(latin1.size())));
}

bool ReportWriter::commit(const QDate& date, QString* error) {
  addLine(kRule);
  addLine(kFooter);
  addLine(QLocale::system().toString(date, QLocale::ShortFormat));
  QString reason;
  if (m_file.commit(&reason)) return true;
  if (error) *error = QStringLiteral("cannot write %1: %2").arg(platform::displayPath(m_path), reason);
  return false;
}

}  // namespace kelvaron
