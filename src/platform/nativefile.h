#pragma once
// Reading a file by its program path, with the reason of any failure as text.

#include <QString>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace kelvaron::platform {

/// A file opened for reading bytes. Opening never creates a file.
class NativeFile {
 public:
  NativeFile() = default;
  NativeFile(NativeFile&&) noexcept = default;
  NativeFile& operator=(NativeFile&&) noexcept = default;

  /// Opens `path` for reading. Fails with a reason for a missing path, a
  /// folder, or anything the system refuses ("Permission denied" ...).
  bool open(const QString& path);
  bool isOpen() const { return m_file != nullptr; }
  /// The reason of the last failure, such as "No such file or directory".
  const QString& errorString() const { return m_error; }
  /// Length of the file in bytes, as it was when opened.
  std::int64_t size() const { return m_size; }
  /// Positions at the 0-based byte `offset`.
  bool seek(std::int64_t offset);
  /// Reads up to `count` bytes; returns how many were read, -1 on an error.
  std::int64_t read(char* buffer, std::int64_t count);
  void close();

 private:
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> m_file;
  std::int64_t m_size = 0;
  QString m_error;
};

/// The reason text for a C library error number.
QString systemErrorText(int errorNumber);

}  // namespace kelvaron::platform

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

/// Writes `bytes` as the file `path` through an AtomicFile.
bool writeFileAtomically(const QString& path, const char* bytes, std::int64_t size, QString* reason);

}  // namespace kelvaron::platform

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
