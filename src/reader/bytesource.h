#pragma once
// Positioned reads from a file or from bytes in memory, so the reader takes
// only the pieces of a file it needs (header, table of contents, one section).

#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kelvaron::reader {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  /// The length in bytes.
  virtual std::int64_t size() const = 0;
  /// Reads up to `length` bytes at the 0-based `offset` into `out` (replacing
  /// its content); fewer only at the end. False with `error` set on a failure
  /// of the device or the file.
  virtual bool read(std::int64_t offset, std::int64_t length, std::string& out, QString* error) const = 0;
};

/// Bytes in memory (tests, the fuzz target); not owned.
class MemorySource final : public ByteSource {
 public:
  explicit MemorySource(std::string_view bytes) : m_bytes(bytes) {}
  std::int64_t size() const override { return static_cast<std::int64_t>(m_bytes.size()); }
  bool read(std::int64_t offset, std::int64_t length, std::string& out, QString* error) const override;

 private:
  std::string_view m_bytes;
};

/// A source whose first bytes, already read, answer the reads that fall
/// within them from memory; other reads go to `source`. The header, the
/// banner and the first table-of-contents block of most files lie there.
class HeadCachedSource final : public ByteSource {
 public:
  HeadCachedSource(const ByteSource& source, std::string_view head) : m_source(source), m_head(head) {}
  std::int64_t size() const override { return m_source.size(); }
  bool read(std::int64_t offset, std::int64_t length, std::string& out, QString* error) const override;

 private:
  const ByteSource& m_source;
  std::string_view m_head;
};

/// A file opened for positioned reads. Only regular files open.
class FileSource final : public ByteSource {
 public:
  FileSource();
  ~FileSource() override;
  /// False with "reason" (such as "No such file or directory") when the file cannot be opened.
  bool open(const QString& path, QString* reason);
  std::int64_t size() const override { return m_size; }
  bool read(std::int64_t offset, std::int64_t length, std::string& out, QString* error) const override;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
  std::int64_t m_size = 0;
};

}  // namespace kelvaron::reader
