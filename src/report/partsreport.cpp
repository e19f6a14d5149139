#include "report/partsreport.h"

#include "platform/assemblyname.h"
#include "platform/fileerror.h"
#include "platform/nativepath.h"
#include "platform/shown.h"
#include "version.h"

#include <QLocale>
#include <QStringEncoder>

#include <algorithm>

namespace kelvaron {

namespace {

const QString kRule(50, u'-');
const QString kFooter =
    QStringLiteral("Kelvaron %1 - detecting Parts in Pro/ENGINEER Assemblies").arg(QLatin1String(kVersion));

}  // namespace

QString reportPath(const QString& folder, const QString& assemblyPath, PathStyle style) {
  // The bare name of the file name alone, so the report is always one entry
  // directly in `folder`, whatever dots the name starts with.
  const QString name = Zerlege(fileNameOf(assemblyPath, style), style) + QLatin1String(kReportSuffix);
  if (style == PathStyle::Windows) {
    // A drive root such as C:\ already ends in its separator.
    return folder.size() > 3 ? folder + u'\\' + name : folder + name;
  }
  if (folder.isEmpty() || folder.endsWith(u'/')) return folder + name;
  return folder + u'/' + name;
}

ReportWriter::ReportWriter(QString path, QString assemblyPath)
    : m_path(std::move(path)), m_assemblyPath(std::move(assemblyPath)) {}

bool ReportWriter::open(bool hasLines) {
  if (m_open) return true;
  if (!m_error.isEmpty()) return false;
  QString reason;
  if (!m_file.open(m_path, &reason)) {
    m_error = platform::FileError{platform::FileError::Action::Write, m_path, reason}.message();
    return false;
  }
  m_open = true;
#ifdef _WIN32
  writeText(platform::escapeControls(m_assemblyPath));
#else
  // The path's own bytes, as the report's file name keeps them, even where
  // they are not valid UTF-8.
  m_file.write(platform::shownBytes(m_assemblyPath));
  m_file.write("\r\n", 2);
#endif
  writeText(kRule);
  if (hasLines) writeText(QStringLiteral("\r"));
  return true;
}

void ReportWriter::writeText(const QString& line) {
  QStringEncoder encode(QStringConverter::System);
  const QByteArray bytes = encode(line);
  m_file.write(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  m_file.write("\r\n", 2);
}

void ReportWriter::addLine(std::string_view bytes, NameEncoding encoding) {
  if (!open(true)) return;
  // Printable ASCII reads the same in every encoding a report is written in;
  // a control character from a file is written as a visible escape, so a
  // name cannot add a line to the report.
  if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= 0x20 && c < 0x7F; })) {
    m_line.assign(bytes);
    m_line += "\r\n";
    m_file.write(m_line);
    return;
  }
  writeText(platform::escapeControls(nameText(bytes, encoding)));
}

bool ReportWriter::commit(const QDate& date) {
  if (!open(false)) return false;
  writeText(kRule);
  writeText(kFooter);
  writeText(QLocale::system().toString(date, QLocale::ShortFormat));
  m_open = false;
  QString reason;
  if (m_file.commit(&reason)) return true;
  m_error = platform::FileError{platform::FileError::Action::Write, m_path, reason}.message();
  return false;
}

void ReportWriter::abort() {
  m_file.abort();
  m_open = false;
}

}  // namespace kelvaron
