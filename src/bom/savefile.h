#pragma once
// Writing a result: to standard output, to a file complete or not at all, or
// through to a device or pipe that is there already.

#include "bom/table.h"
#include "platform/atomicfile.h"

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <memory>

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

/// Whether `path` names something that is there and is neither a regular
/// file nor a folder (a device, a pipe, a socket, or a link to one): such a
/// target is written through, never replaced.
bool isSpecialFile(const QString& path);

/// Where a command's result goes, chosen by the -o value: empty or "-" is
/// standard output; a device or pipe (see isSpecialFile) is opened and
/// written through; anything else is a file written complete or not at all.
class ResultTarget final : public ByteSink {
 public:
  /// False with "cannot write PATH: reason" in `error` when it cannot be opened.
  bool open(const QString& path, std::FILE* standardOutput, QString* error);
  void write(std::string_view bytes) override;
  /// Puts a file in place, or flushes a stream; false with `error` when any
  /// write failed (a file is then left as it was).
  bool finish(QString* error);
  ~ResultTarget() override;

 private:
  QString m_path;
  std::FILE* m_stream = nullptr;
  bool m_ownStream = false;
  bool m_failed = false;
  int m_errno = 0;
  std::unique_ptr<platform::AtomicFile> m_file;
};

}  // namespace kelvaron::bom
