#pragma once
// The whole content of a file, for scanning in memory.

#include <QString>
#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>

namespace kelvaron::platform {

/// The whole content of a regular file, read into memory in blocks. Only
/// regular files are read: a FIFO, a terminal or a device is refused without
/// waiting on it. Reading stops between blocks when asked to, and a file that
/// shrinks, grows or fails while it is read gives an error instead of
/// partial bytes.
class FileBytes {
 public:
  FileBytes() = default;
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;

  /// Reads `path` (of any length). Fails with a reason for a missing path, a
  /// folder ("Is a directory"), anything but a regular file ("not a regular
  /// file"), a file that changed while it was read ("the file changed while
  /// it was read"), or anything the system refuses. `keepGoing` (optional) is
  /// asked between blocks; a false answer ends the read with stopped() set.
  /// Never creates a file.
  bool open(const QString& path, const std::function<bool()>& keepGoing = {});
  const QString& errorString() const { return m_error; }
  /// True when `keepGoing` ended the last open().
  bool stopped() const { return m_stopped; }
  std::string_view bytes() const { return {m_bytes.get(), m_size}; }

 private:
  std::unique_ptr<char[]> m_bytes;
  std::size_t m_size = 0;
  QString m_error;
  bool m_stopped = false;
};

}  // namespace kelvaron::platform
