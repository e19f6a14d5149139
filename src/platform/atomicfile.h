#pragma once
// Files written completely or not at all.

#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

namespace kelvaron::platform {

/// A file written completely or not at all. On Linux the bytes go into an
/// unnamed file in the target's folder (O_TMPFILE), which commit() names and
/// moves over the target, so no temporary outlives the process however it
/// ends; where the file system has no unnamed files, a named temporary beside
/// the target is used and removed on every way out but a kill. A target that
/// is read-only is refused; a replaced target's permission bits are kept.
/// Paths longer than the system's limit work. On Windows a temporary beside
/// the target is moved over it, and a name that Windows would take for a
/// device or for another file ("COM1.txt", "a.txt.", "a.txt:x") is refused.
class AtomicFile {
 public:
  AtomicFile() = default;
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  /// Creates the temporary file for `path`; false with `reason` on failure
  /// ("the report is read-only" when `path` is a file without write access).
  bool open(const QString& path, QString* reason);
  /// Buffers and writes bytes; a failure is kept and reported by commit().
  void write(const char* bytes, std::size_t size);
  void write(std::string_view bytes) { write(bytes.data(), bytes.size()); }
  /// Writes the rest, names the file and puts it in place; false with
  /// `reason` on failure, in which case nothing is left behind and the target
  /// is untouched.
  bool commit(QString* reason);
  /// Drops the temporary file.
  void abort();

 private:
  bool fail(int error, QString* reason);
  bool flushBuffer();
#ifdef _WIN32
  std::FILE* m_file = nullptr;
  std::filesystem::path m_target;
#else
  int m_folder = -1;  // the target's folder
  int m_fd = -1;
  std::string m_name;  // the target's name in m_folder
#endif
  std::filesystem::path m_temp;  // a named temporary, when one is used
  std::string m_buffer;
  int m_error = 0;
};

}  // namespace kelvaron::platform
