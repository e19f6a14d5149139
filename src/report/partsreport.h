#pragma once
// The parts report: one plain-text file per analysed assembly.

#include "platform/atomicfile.h"
#include "platform/nametext.h"
#include "platform/pathhelpers.h"

#include <QDate>
#include <QString>
#include <string>
#include <string_view>

namespace kelvaron {

/// The suffix that follows the assembly's bare name in the report's name.
inline constexpr char kReportSuffix[] = "__Kelvaron.txt";

/// The report's full path for the assembly at `assemblyPath` in the folder text
/// `folder`: Zerlege of its file name + "__Kelvaron.txt", after the folder
/// ("p/.asm" gives "__Kelvaron.txt", never a path into a subfolder).
/// Windows style: a folder text of 3 characters or fewer (C:\) is followed
/// directly by the name, a longer one by "\". POSIX style: "/" is put between
/// unless the folder text already ends in "/".
/// reportPath("C:\\out", "C:\\cad\\motor.asm.3", Windows) == "C:\\out\\motor__Kelvaron.txt"
QString reportPath(const QString& folder, const QString& assemblyPath, PathStyle style = nativePathStyle());

/// Writes a report line by line as the list streams in, so no list is held in
/// memory. Its lines, each ended by CR LF in the system's encoding (UTF-8 on
/// Linux): the assembly path, 50 hyphens, a lone CR when any list line
/// follows, the list lines, 50 hyphens, the footer, the date in the locale's
/// short format. The file goes through a temporary file beside it and appears
/// only at commit(), complete; nothing is created before the first line.
/// ReportWriter w(path, assembly); w.addLine("BOLT"); w.commit(date);
class ReportWriter {
 public:
  ReportWriter(QString path, QString assemblyPath);
  const QString& path() const { return m_path; }
  /// Adds one line of the list, given as bytes in `encoding`: the marker
  /// scan's Windows-1252 names or the format reader's UTF-8 ones.
  void addLine(std::string_view bytes, NameEncoding encoding = NameEncoding::Windows1252);
  /// Writes the closing lines and puts the file in place. False with error()
  /// "cannot write PATH: reason"; then nothing is left behind.
  bool commit(const QDate& date);
  /// Drops the report.
  void abort();
  const QString& error() const { return m_error; }

 private:
  bool open(bool hasLines);
  void writeText(const QString& line);
  platform::AtomicFile m_file;
  QString m_path;
  QString m_assemblyPath;
  QString m_error;
  std::string m_line;
  bool m_open = false;
};

}  // namespace kelvaron
