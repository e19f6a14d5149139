#pragma once
// Buffered byte output to a C stream: a list of millions of names goes out in
// large fwrite calls instead of one small write per line.

#include <QByteArrayView>
#include <QString>
#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace kelvaron::cli {

class OutputBuffer {
 public:
  /// Where gathered bytes go when there is no stream; it takes them out of
  /// `pending` (and may wait for its turn to do so).
  using Spill = std::function<void(std::string& pending)>;

  /// Collects bytes for `stream` (not owned); writes them once about
  /// `flushSize` bytes have gathered, and on flush() or destruction. Without a
  /// stream (nullptr) the bytes only gather, for take(); unless `spill` is
  /// given, which then receives them once about `flushSize` have gathered.
  explicit OutputBuffer(std::FILE* stream, std::size_t flushSize = 1 << 16, Spill spill = {});
  ~OutputBuffer();
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;

  void append(std::string_view bytes) {
    m_buffer.append(bytes);
    if (m_buffer.size() >= m_flushSize) flush();
  }
  void append(char byte) {
    m_buffer.push_back(byte);
    if (m_buffer.size() >= m_flushSize) flush();
  }
  /// Appends Latin-1 bytes (the kept bytes of a component name) as UTF-8.
  void appendLatin1AsUtf8(QByteArrayView latin1);
  /// Appends UTF-16 text as UTF-8.
  void appendUtf8(QStringView text);
  /// Appends a text as UTF-8; lone U+DC80..U+DCFF stand for the raw bytes of a
  /// file name that is not valid UTF-8 and are written back as those bytes.
  void appendText(const QString& text);

  /// Writes what has gathered. False once any write has failed; from then on
  /// bytes are dropped.
  bool flush();
  /// The system's error number of the failed write (EPIPE, ENOSPC ...), or 0.
  /// Safe to ask from any thread.
  int error() const { return m_error.load(std::memory_order_relaxed); }
  /// The bytes gathered and not yet written; the buffer is left empty.
  std::string take() { return std::exchange(m_buffer, {}); }

 private:
  std::FILE* m_stream;
  std::size_t m_flushSize;
  Spill m_spill;
  std::string m_buffer;
  bool m_failed = false;
  std::atomic<int> m_error{0};
};

}  // namespace kelvaron::cli
