#include "reader/lzw.h"

#include <algorithm>
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

namespace {

// One pass over the codes. The measuring pass (Write false) keeps only each
// entry's length and adds up the output; the writing pass then fills a string
// of exactly that size, so a large output is never copied while it grows.
template <bool Write>
LzwStatus run(std::string_view in, std::size_t maxOutput, std::string* out, std::size_t& produced) {
  produced = 0;
  if (!isLzw(in) || in.size() < 3) return LzwStatus::Corrupt;
  const auto flags = static_cast<std::uint8_t>(in[2]);
  const int maxBits = flags & 0x1F;
  const bool blockMode = (flags & kBlockMode) != 0;
  if (maxBits < kInitialBits || maxBits > kMaxBits) return LzwStatus::Corrupt;
  const std::uint32_t tableLimit = 1u << maxBits;

  std::vector<std::uint16_t> prefix(Write ? tableLimit : 0);
  std::vector<std::uint8_t> suffix(Write ? tableLimit : 0);
  std::vector<std::uint32_t> length(Write ? 0 : tableLimit, 1);
  std::vector<std::uint8_t> stack(Write ? std::size_t{1} << kMaxBits : 0);
  if constexpr (Write) {
    for (std::uint32_t i = 0; i < 256; ++i) suffix[i] = static_cast<std::uint8_t>(i);
  }

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
      if (produced >= maxOutput) return LzwStatus::Capped;
      firstByte = static_cast<std::uint8_t>(code);
      if constexpr (Write) out->push_back(static_cast<char>(firstByte));
      ++produced;
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
    // A code equal to the next free entry is the previous string plus its own first byte.
    if (code > nextFree) return LzwStatus::Corrupt;
    const std::uint32_t incoming = code;
    std::size_t size = 0;
    if constexpr (Write) {
      std::size_t top = stack.size();
      if (code == nextFree) {
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
      size = stack.size() - top;
      const std::size_t room = maxOutput - produced;
      out->append(reinterpret_cast<const char*>(stack.data() + top), std::min(size, room));
      if (size > room) {
        produced = maxOutput;
        return LzwStatus::Capped;
      }
    } else {
      size = code == nextFree ? std::size_t{length[static_cast<std::size_t>(previous)]} + 1 : length[code];
      if (size > maxOutput - produced) {
        produced = maxOutput;
        return LzwStatus::Capped;
      }
    }
    produced += size;

    if (nextFree < tableLimit) {
      if constexpr (Write) {
        prefix[nextFree] = static_cast<std::uint16_t>(previous);
        suffix[nextFree] = firstByte;
      } else {
        length[nextFree] = length[static_cast<std::size_t>(previous)] + 1;
      }
      ++nextFree;
    }
    previous = incoming;
  }
}

}  // namespace

LzwStatus decodeLzw(std::string_view in, std::size_t maxOutput, std::string& out) {
  out.clear();
  std::size_t size = 0;
  run<false>(in, maxOutput, nullptr, size);
  out.reserve(size);
  std::size_t written = 0;
  return run<true>(in, maxOutput, &out, written);
}

}  // namespace kelvaron::reader
