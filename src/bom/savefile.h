#pragma once
// Writing a result file complete or not at all.

#include <QByteArray>
#include <QString>

namespace kelvaron::bom {

/// Writes `bytes` as `path` through a temporary file in the same folder that
/// is renamed into place; on failure the target is untouched and nothing is
/// left behind. False with "cannot write PATH: reason" in `error`.
bool saveFile(const QString& path, const QByteArray& bytes, QString* error);

/// A new, empty temporary file in the folder of `path` for a writer that
/// needs a file name (the Excel writer); empty with `error` on failure.
QString temporaryBeside(const QString& path, QString* error);

/// Renames `temporary` over `path`, or removes it on failure.
bool commitTemporary(const QString& temporary, const QString& path, QString* error);

}  // namespace kelvaron::bom
