#pragma once
// Files written completely or not at all.

#include <QString>
#include <cstdio>
#include <filesystem>
#include <string_view>

namespace kelvaron::platform {

/// A file written completely or not at all: the bytes go into a new temporary
/// file in the target's folder, which commit() closes and renames over
/// the target. Destroying it uncommitted removes the temporary file.
class AtomicFile {
 public:
  AtomicFile() = default;
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  /// Creates the temporary file for `path`; false with `reason` on failure.
  bool open(const QString& path, QString* reason);
  /// Buffers and writes bytes; a failure is kept and reported by commit().
  void write(const char* bytes, std::size_t size);
  void write(std::string_view bytes) { write(bytes.data(), bytes.size()); }
  /// Flushes, closes and renames into place; false with `reason` on failure,
  /// in which case nothing is left behind and the target is untouched.
  bool commit(QString* reason);
  /// Drops the temporary file.
  void abort();

 private:
  bool fail(int error, QString* reason);
  std::FILE* m_file = nullptr;
  std::filesystem::path m_target;
  std::filesystem::path m_temp;
  int m_error = 0;
};

}  // namespace kelvaron::platform
