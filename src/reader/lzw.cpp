#include "reader/lzw.h"

#include <array>
#include <cstdint>
#include <vector>

namespace kelvaron::reader {

namespace {

constexpr int kInitialBits = 9;
constexpr int kMaxBits = 16;
constexpr std::uint32_t kClear = 256;
constexpr std::uint8_t kBlockMode = 0x80;

// A little-endian bit reader over the codes. Groups of eight codes are counted
// from `m_groupStart`, the first bit written at the current width.
class CodeReader {
 public:
  explicit CodeReader(std::string_view bytes) : m_bytes(bytes), m_bits(std::uint64_t{bytes.size()} * 8) {}

  bool read(int width, std::uint32_t& code) {
    if (m_at + static_cast<std::uint64_t>(width) > m_bits) return false;
    std::uint32_t v = 0;
    std::uint64_t byte = m_at >> 3;
    const int shift = static_cast<int>(m_at & 7);
    // A code of at most 16 bits spans at most three bytes.
    for (int i = 0; i < 3 && byte + static_cast<std::uint64_t>(i) < m_bytes.size(); ++i) {
      v |= std::uint32_t{static_cast<std::uint8_t>(m_bytes[byte + static_cast<std::uint64_t>(i)])} << (8 * i);
    }
    code = (v >> shift) & ((1u << width) - 1);
    m_at += static_cast<std::uint64_t>(width);
    return true;
  }

  // compress writes codes in groups of eight; a width change or a CLEAR
  // abandons the rest of the current group.
  void skipToGroupEnd(int width) {
    const std::uint64_t group = static_cast<std::uint64_t>(width) * 8;
    const std::uint64_t used = m_at - m_groupStart;
    m_at = m_groupStart + (used + group - 1) / group * group;
    m_groupStart = m_at;
  }

 private:
  std::string_view m_bytes;
  std::uint64_t m_bits;
  std::uint64_t m_at = 0;
  std::uint64_t m_groupStart = 0;
};

}  // namespace

bool isLzw(std::string_view bytes) { return bytes.size() >= 2 && bytes[0] == '\x1F' && bytes[1] == '\x9D'; }

LzwStatus decodeLzw(std::string_view in, std::size_t maxOutput, std::string& out) {
  out.clear();
  if (!isLzw(in) || in.size() < 3) return LzwStatus::Corrupt;
  const auto flags = static_cast<std::uint8_t>(in[2]);
  const int maxBits = flags & 0x1F;
  const bool blockMode = (flags & kBlockMode) != 0;
  if (maxBits < kInitialBits || maxBits > kMaxBits) return LzwStatus::Corrupt;
  const std::uint32_t tableLimit = 1u << maxBits;

  std::vector<std::uint16_t> prefix(tableLimit);
  std::vector<std::uint8_t> suffix(tableLimit);
  for (std::uint32_t i = 0; i < 256; ++i) suffix[i] = static_cast<std::uint8_t>(i);
  std::array<std::uint8_t, 1u << kMaxBits> stack{};

  CodeReader codes(in.substr(3));
  int width = kInitialBits;
  std::uint32_t widenAbove = (1u << width) - 1;
  std::uint32_t nextFree = blockMode ? 257 : 256;
  std::int64_t previous = -1;
  std::uint8_t firstByte = 0;

  for (;;) {
    if (nextFree > widenAbove) {
      codes.skipToGroupEnd(width);
      ++width;
      widenAbove = width == maxBits ? tableLimit : (1u << width) - 1;
    }
    std::uint32_t code = 0;
    if (!codes.read(width, code)) return LzwStatus::Complete;
    if (previous < 0) {
      // The first code is a literal and adds no entry.
      if (code >= 256) return LzwStatus::Corrupt;
      if (out.size() >= maxOutput) return LzwStatus::Capped;
      firstByte = static_cast<std::uint8_t>(code);
      out.push_back(static_cast<char>(firstByte));
      previous = code;
      continue;
    }
    if (blockMode && code == kClear) {
      // As gzip does: the next code re-creates entry 256, which no code can name.
      nextFree = 256;
      codes.skipToGroupEnd(width);
      width = kInitialBits;
      widenAbove = (1u << width) - 1;
      continue;
    }
    const std::uint32_t incoming = code;
    std::size_t top = stack.size();
    if (code >= nextFree) {
      // A code equal to the next free entry is the previous string plus its own first byte.
      if (code > nextFree) return LzwStatus::Corrupt;
      stack[--top] = firstByte;
      code = static_cast<std::uint32_t>(previous);
    }
    while (code >= 256) {
      if (top == 0) return LzwStatus::Corrupt;
      stack[--top] = suffix[code];
      code = prefix[code];
    }
    if (top == 0) return LzwStatus::Corrupt;
    firstByte = suffix[code];
    stack[--top] = firstByte;

    const std::size_t length = stack.size() - top;
    if (out.size() + length > maxOutput) {
      out.append(reinterpret_cast<const char*>(stack.data() + top), maxOutput - out.size());
      return LzwStatus::Capped;
    }
    out.append(reinterpret_cast<const char*>(stack.data() + top), length);

    if (nextFree < tableLimit) {
      prefix[nextFree] = static_cast<std::uint16_t>(previous);
      suffix[nextFree] = firstByte;
      ++nextFree;
    }
    previous = incoming;
  }
}

}  // namespace kelvaron::reader
