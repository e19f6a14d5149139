#pragma once
// The parts report: one plain-text file per analysed assembly.

#include "analysis/pathhelpers.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

#include "platform/nativefile.h"

#include <string_view>

namespace kelvaron {

/// The suffix that follows the assembly's bare name in the report's name.
inline constexpr char kReportSuffix[] = "__Kelvaron.txt";

/// The report's full path for the assembly at `assemblyPath` in the folder text
/// `folder`: Zerlege(assemblyPath) + "__Kelvaron.txt", after the folder.
/// Windows style: a folder text of 3 characters or fewer (C:\) is followed
/// directly by the name, a longer one by "\". POSIX style: "/" is put between
/// unless the folder text already ends in "/".
/// reportPath("C:\\out", "C:\\cad\\motor.asm.3", Windows) == "C:\\out\\motor__Kelvaron.txt"
QString reportPath(const QString& folder, const QString& assemblyPath,
                   PathStyle style = nativePathStyle());

/// The report's text as lines, without line ends: the assembly path, 50
/// hyphens, a lone CR when `entries` is not empty, the entries, 50 hyphens,
/// the footer, the date in the locale's short format.
QStringList reportLines(const QString& assemblyPath, const QStringList& entries, const QDate& date);

/// The report's bytes: reportLines() each ended by CR LF, encoded in the
/// system's encoding (UTF-8 on Linux).
QByteArray formatReport(const QString& assemblyPath, const QStringList& entries, const QDate& date);

/// Saves `bytes` as the file `path`, completely or not at all: through a
/// temporary file beside it and a rename. On failure returns false and sets
/// `error` to "cannot write PATH: reason"; no temporary file is left.
bool saveReport(const QString& path, const QByteArray& bytes, QString* error);

/// Writes a report entry by entry, for lists too long to hold in memory. The
/// bytes are those of formatReport(); the file appears only at commit().
/// ReportWriter w; w.open(path, assembly, true, &err); w.addEntry(...); w.commit(date, &err);
class ReportWriter {
 public:
  /// Starts the report file `path` for the assembly `assemblyPath`; `hasEntries`
  /// tells whether any entry will follow. False with "cannot write PATH: reason".
  bool open(const QString& path, const QString& assemblyPath, bool hasEntries, QString* error);
  void addEntry(const QString& entry);
  /// An entry given as Windows-1252 bytes of the kept name set.
  void addEntry(std::string_view latin1);
  /// Writes the closing lines and puts the file in place; on failure nothing is left.
  bool commit(const QDate& date, QString* error);
  /// Drops the report.
  void abort() { m_file.abort(); }

 private:
  void addLine(const QString& line);
  platform::AtomicFile m_file;
  QString m_path;
  std::string m_line;
};

}  // namespace kelvaron
