#pragma once
// One bounds-checked cursor over untrusted bytes. Every read returns an empty
// optional at the end of the span instead of reading past it.

#include <cstdint>
#include <optional>
#include <string_view>

namespace kelvaron::reader {

class ByteCursor {
 public:
  explicit ByteCursor(std::string_view bytes, std::size_t at = 0) : m_bytes(bytes), m_at(at) {}

  std::size_t offset() const { return m_at; }
  std::size_t remaining() const { return m_at < m_bytes.size() ? m_bytes.size() - m_at : 0; }
  bool atEnd() const { return remaining() == 0; }
  std::string_view rest() const { return m_bytes.substr(m_at < m_bytes.size() ? m_at : m_bytes.size()); }
  void seek(std::size_t at) { m_at = at < m_bytes.size() ? at : m_bytes.size(); }

  std::optional<std::uint8_t> peek() const {
    if (atEnd()) return std::nullopt;
    return static_cast<std::uint8_t>(m_bytes[m_at]);
  }
  std::optional<std::uint8_t> u8() {
    if (atEnd()) return std::nullopt;
    return static_cast<std::uint8_t>(m_bytes[m_at++]);
  }
  /// Skips `n` bytes; false (and nothing skipped) when fewer remain.
  bool skip(std::size_t n) {
    if (n > remaining()) return false;
    m_at += n;
    return true;
  }
  /// True and past it when the next bytes are `text`.
  bool consume(std::string_view text) {
    if (!rest().starts_with(text)) return false;
    m_at += text.size();
    return true;
  }
  /// A NUL-terminated string, without its NUL; nothing when no NUL follows.
  std::optional<std::string_view> cstring() {
    const std::string_view r = rest();
    const std::size_t nul = r.find('\0');
    if (nul == std::string_view::npos) return std::nullopt;
    m_at += nul + 1;
    return r.substr(0, nul);
  }
  /// `n` big-endian bytes as an unsigned number (n at most 8).
  std::optional<std::uint64_t> bigEndian(std::size_t n) {
    if (n > 8 || n > remaining()) return std::nullopt;
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i) v = (v << 8) | static_cast<std::uint8_t>(m_bytes[m_at++]);
    return v;
  }

 private:
  std::string_view m_bytes;
  std::size_t m_at;
};

}  // namespace kelvaron::reader
