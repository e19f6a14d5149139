#include "reader/lzw.h"

#include "platform/perthread.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace kelvaron::reader {

namespace {

constexpr int kInitialBits = 9;
constexpr int kMaxBits = 16;
constexpr std::uint32_t kClear = 256;
constexpr std::uint8_t kBlockMode = 0x80;
constexpr std::size_t kTableSize = std::size_t{1} << kMaxBits;

// A little-endian bit reader over the codes. Groups of eight codes are counted
// from `m_groupStart`, the first bit written at the current width.
class CodeReader {
 public:
  explicit CodeReader(std::string_view bytes) : m_bytes(bytes), m_bits(std::uint64_t{bytes.size()} * 8) {}

  bool read(int width, std::uint32_t& code) {
    if (m_at + static_cast<std::uint64_t>(width) > m_bits) return false;
    const std::uint64_t byte = m_at >> 3;
    const auto* p = reinterpret_cast<const std::uint8_t*>(m_bytes.data()) + byte;
    std::uint32_t v = 0;
    // A code of at most 16 bits spans at most three bytes.
    if (byte + 3 <= m_bytes.size()) {
      v = std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16;
    } else {
      for (std::uint64_t i = 0; byte + i < m_bytes.size(); ++i) v |= std::uint32_t{p[i]} << (8 * i);
    }
    code = (v >> (m_at & 7)) & ((1u << width) - 1);
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

// The string table, kept per thread so a decode neither allocates nor clears
// it. Every entry is a string already in the output (the previous code's
// string plus the byte after it), so an entry is where that string starts and
// its length, side by side so a code's lookup touches one place. An entry is
// only ever read after this decode wrote it, because a code may name no entry
// at or past the next free one.
struct Entry {
  std::uint32_t start;
  std::uint32_t length;
};
struct Workspace {
  Entry entries[kTableSize];
};
// Entries hold 32-bit positions, so one decode writes less than 4 GB.
constexpr std::size_t kMaxDecode = 0xFFFFFFFF;

// Zeroed once, when the thread first decodes; never cleared between decodes.
Workspace& workspace() { return platform::perThread<Workspace>(); }

// The most output `in.size()` bytes of codes can give: the n-th code names a
// string of at most n bytes (each entry is one byte longer than a string
// already decoded), and no string is longer than the table has entries.
std::uint64_t largestOutput(std::size_t inputBytes, std::uint32_t tableLimit) {
  const std::uint64_t codes = std::uint64_t{inputBytes} * 8 / kInitialBits;
  const std::uint64_t longest = tableLimit - 255;
  if (codes <= longest) return codes * (codes + 1) / 2;
  return longest * (longest + 1) / 2 + (codes - longest) * longest;
}

}  // namespace

bool isLzw(std::string_view bytes) { return bytes.size() >= 2 && bytes[0] == '\x1F' && bytes[1] == '\x9D'; }

LzwStatus decodeLzw(std::string_view in, std::size_t maxOutput, std::string& out, std::size_t expected) {
  maxOutput = std::min(maxOutput, kMaxDecode);
  const auto flags = in.size() >= 3 ? static_cast<std::uint8_t>(in[2]) : 0;
  const int maxBits = flags & 0x1F;
  const bool blockMode = (flags & kBlockMode) != 0;
  if (!isLzw(in) || in.size() < 3 || maxBits < kInitialBits || maxBits > kMaxBits) {
    out.clear();
    return LzwStatus::Corrupt;
  }
  const std::uint32_t tableLimit = 1u << maxBits;

  // The output grows in a string sized ahead of the writes; a declared length
  // sizes it once, but only as far as the codes could really expand. Past the
  // output the string keeps kSlack bytes, so that a short string is copied as
  // one fixed 16-byte block.
  constexpr std::size_t kSlack = 16;
  const std::size_t limit =
      static_cast<std::size_t>(std::min<std::uint64_t>(maxOutput, largestOutput(in.size() - 3, tableLimit)));
  std::size_t produced = 0;
  const auto finish = [&](LzwStatus status) {
    out.resize(produced);
    return status;
  };

  Workspace& w = workspace();
  CodeReader codes(in.substr(3));
  int width = kInitialBits;
  std::uint32_t widenAbove = (1u << width) - 1;
  std::uint32_t nextFree = blockMode ? 257 : 256;

  // The first code is a literal and adds no entry.
  std::uint32_t code = 0;
  if (!codes.read(width, code)) return finish(LzwStatus::Complete);
  if (code >= 256) return finish(LzwStatus::Corrupt);
  if (maxOutput == 0) return finish(LzwStatus::Capped);
  out.resize(std::max(std::min(expected, limit), std::min<std::size_t>(limit, 4096)) + kSlack);
  out[produced++] = static_cast<char>(code);
  std::size_t previousStart = 0;
  std::size_t previousLength = 1;

  for (;;) {
    if (nextFree > widenAbove) {
      codes.skipToGroupEnd(width);
      ++width;
      widenAbove = width == maxBits ? tableLimit : (1u << width) - 1;
    }
    if (!codes.read(width, code)) return finish(LzwStatus::Complete);
    // A code equal to the next free entry is the previous string plus its own
    // first byte; every other entry is a string already in the output.
    std::size_t size = 1;
    std::size_t from = 0;
    const bool repeat = code == nextFree;
    if (code >= 256) {
      if (blockMode && code == kClear) {
        // As gzip does: the next code re-creates entry 256, which no code can name.
        nextFree = 256;
        codes.skipToGroupEnd(width);
        width = kInitialBits;
        widenAbove = (1u << width) - 1;
        continue;
      }
      if (code > nextFree) return finish(LzwStatus::Corrupt);
      const Entry& e = w.entries[code];
      from = repeat ? previousStart : e.start;
      size = repeat ? previousLength + 1 : e.length;
      if (from + size - (repeat ? 1 : 0) > produced) return finish(LzwStatus::Corrupt);
    }

    if (produced + size + kSlack > out.size()) {
      // The cap: what fits is written, the rest is lost.
      if (size > maxOutput - produced) {
        const std::size_t kept = maxOutput - produced;
        if (produced + kept > out.size()) out.resize(produced + kept);
        for (std::size_t i = 0; i < kept; ++i) out[produced + i] = code < 256 ? static_cast<char>(code) : out[from + i];
        produced = maxOutput;
        return finish(LzwStatus::Capped);
      }
      const std::size_t grown = std::min(std::max(out.size() * 2, produced + size), limit) + kSlack;
      if (produced + size + kSlack > grown) return finish(LzwStatus::Corrupt);
      out.resize(grown);
    }
    char* const to = out.data() + produced;
    if (code < 256) {
      *to = static_cast<char>(code);
    } else {
      // Only a repeated string reaches into itself: its last byte is its first.
      const char* const source = out.data() + from;
      const std::size_t body = repeat ? size - 1 : size;
      if (body <= 16) {
        // Short strings dominate: a fixed 16-byte copy, loaded whole before it
        // is stored (its tail may be the very bytes being written).
        char chunk[16];
        std::memcpy(chunk, source, 16);
        std::memcpy(to, chunk, 16);
      } else {
        std::memcpy(to, source, body);
      }
      if (repeat) to[size - 1] = *source;
    }

    if (nextFree < tableLimit) {
      w.entries[nextFree] = {static_cast<std::uint32_t>(previousStart), static_cast<std::uint32_t>(previousLength + 1)};
      ++nextFree;
    }
    previousStart = produced;
    previousLength = size;
    produced += size;
  }
}

}  // namespace kelvaron::reader
