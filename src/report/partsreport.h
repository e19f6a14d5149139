#pragma once
// The parts report: one plain-text file per analysed assembly.

#include "analysis/pathhelpers.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

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

}  // namespace kelvaron
