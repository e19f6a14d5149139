#pragma once
// Reading a file by its program path, with the reason of any failure as text.

#include <QString>
#include <cstdint>
#include <cstdio>
#include <memory>

namespace kelvaron::platform {

/// A file opened for reading bytes. Opening never creates a file.
class NativeFile {
 public:
  NativeFile() = default;
  NativeFile(NativeFile&&) noexcept = default;
  NativeFile& operator=(NativeFile&&) noexcept = default;

  /// Opens the regular file `path` (of any length) for reading. Fails with a
  /// reason for a missing path, a folder, anything but a regular file ("not a
  /// regular file", without waiting on a FIFO or device), or anything the
  /// system refuses ("Permission denied" ...).
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

#ifdef _WIN32
/// The reason text for a Windows error code (GetLastError()): as
/// systemErrorText() gives it where the error has a POSIX counterpart ("No such
/// file or directory", "Permission denied"), so messages read the same on every
/// system; else the system's own, such as "The process cannot access the file
/// because it is being used by another process."
QString windowsErrorText(unsigned long code);
#endif

}  // namespace kelvaron::platform
