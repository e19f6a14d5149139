#pragma once
// The integer code of the binary sections (PSB token streams and the raw
// tagged-binary sections such as DEPDB_DATA).

#include "reader/bytecursor.h"

#include <cstdint>
#include <optional>

namespace kelvaron::reader {

/// One decoded integer code.
struct IntCode {
  enum class Kind { Value, Null, Repeat };
  Kind kind = Kind::Value;
  std::int64_t value = 0;  ///< the number (Value), or how many more copies of the previous one (Repeat)
};

/// Reads one integer code at the cursor:
///   00-7F            the value itself
///   80-BF b          ((c & 0x3F) << 8) | b
///   C0-DF b1 b2      ((c & 0x1F) << 16) | b1 << 8 | b2
///   E8..EB + 1..4    that many big-endian bytes
///   E4..E7           repeat the previous value 1..4 more times
///   F5 <code>        the negative of the following code
///   F6               null
/// Nothing (cursor position unspecified) at the end of the bytes or on any other lead byte.
inline std::optional<IntCode> readIntCode(ByteCursor& in) {
  bool negative = false;
  auto lead = in.u8();
  if (lead && *lead == 0xF5) {
    negative = true;
    lead = in.u8();
  }
  if (!lead) return std::nullopt;
  const std::uint8_t c = *lead;
  std::int64_t v = 0;
  if (c <= 0x7F) {
    v = c;
  } else if (c <= 0xBF) {
    const auto b = in.u8();
    if (!b) return std::nullopt;
    v = (std::int64_t{c & 0x3F} << 8) | *b;
  } else if (c <= 0xDF) {
    const auto b = in.bigEndian(2);
    if (!b) return std::nullopt;
    v = (std::int64_t{c & 0x1F} << 16) | static_cast<std::int64_t>(*b);
  } else if (c >= 0xE8 && c <= 0xEB) {
    const auto b = in.bigEndian(static_cast<std::size_t>(c - 0xE7));
    if (!b) return std::nullopt;
    v = static_cast<std::int64_t>(*b);
  } else if (!negative && c >= 0xE4 && c <= 0xE7) {
    return IntCode{IntCode::Kind::Repeat, c - 0xE3};
  } else if (!negative && c == 0xF6) {
    return IntCode{IntCode::Kind::Null, 0};
  } else {
    return std::nullopt;
  }
  return IntCode{IntCode::Kind::Value, negative ? -v : v};
}

}  // namespace kelvaron::reader
