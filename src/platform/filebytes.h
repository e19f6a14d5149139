#pragma once
// The whole content of a file, for scanning in memory.

#include <QString>
#include <cstddef>
#include <functional>
#include <string_view>

namespace kelvaron::platform {

/// The whole content of a regular file: a small one read in blocks, a large
/// one mapped without reading ahead (pages come in as they are used). Only
/// regular files are read: a FIFO, a terminal or a device is refused without
/// waiting on it. A file that shrinks, grows or fails while it is read or
/// used gives an error (open() or verify()), never a crash: a page the
/// mapping lost reads as zeros until verify() tells.
class FileBytes {
 public:
  FileBytes() = default;
  ~FileBytes();
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
  /// Asked after the bytes were used: false with errorString() when the file
  /// changed, shrank or failed since it was opened.
  bool verify();
  std::string_view bytes() const { return {m_bytes, m_size}; }

 private:
  void release();
  char* m_bytes = nullptr;
  std::size_t m_size = 0;
  int m_fd = -1;    // kept while the file is mapped, for verify()
  int m_slot = -1;  // the mapping's guard, -1 when the bytes were read
  long long m_openedSize = 0;
  long long m_openedTime = 0;  // modification time in nanoseconds
  QString m_error;
  bool m_stopped = false;
};

}  // namespace kelvaron::platform
