#pragma once
// The whole content of a file, for scanning in memory.

#include <QString>
#include <cstddef>
#include <string>
#include <string_view>

namespace kelvaron::platform {

/// The whole content of a file, read-only, for scanning in memory. Where the
/// system allows it the file is mapped rather than copied, so a large file
/// costs no more memory than the system's file cache already holds.
class FileBytes {
 public:
  FileBytes() = default;
  ~FileBytes();
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;

  /// Opens and maps (or reads) `path`. Fails with a reason for a missing
  /// path, a folder, or anything the system refuses. Never creates a file.
  bool open(const QString& path);
  const QString& errorString() const { return m_error; }
  std::string_view bytes() const { return m_view; }

 private:
  void release();
  std::string_view m_view;
  void* m_map = nullptr;
  std::size_t m_mapSize = 0;
  std::string m_copy;
  QString m_error;
};

}  // namespace kelvaron::platform
