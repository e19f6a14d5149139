#include "reader/taggedcodes.h"

#include "reader/intcode.h"

#include <array>
#include <bit>
#include <cstdint>

namespace kelvaron::reader {

namespace {

using Tag = TaggedScalar::Tag;

void setDouble(TaggedScalar& out, std::uint64_t bits) {
  out.tag = Tag::Double;
  out.real = std::bit_cast<double>(bits);
}

// The one-byte constants whose values are known, as IEEE bits; 0 marks the
// constants (02-17) whose value is not known. 0.0 itself is code 18.
std::optional<std::uint64_t> constantBits(std::uint8_t code) {
  switch (code) {
    case 0x18: return 0;
    case 0x0E: return 0x3FE0000000000000;  // 0.5
    case 0x0F: return 0x3FF0000000000000;  // 1.0
    case 0x10: return 0xBFF0000000000000;  // -1.0
    default: return std::nullopt;
  }
}

// The top 16 bits the codes 4B-DF stand for; 0 where no value has been matched
// against a decimal one.
constexpr std::array<std::uint16_t, 256> kPrefixes = [] {
  std::array<std::uint16_t, 256> p{};
  p[0x4C] = 0x3FB1;
  p[0x4E] = 0x3FC0;
  p[0x50] = 0x3FC2;
  p[0x56] = 0x3FC9;
  p[0x57] = 0x3FCA;
  p[0x59] = 0x3FCD;
  for (int c = 0x5A; c <= 0xA3; ++c) p[static_cast<std::size_t>(c)] = static_cast<std::uint16_t>(0x3FCF + (c - 0x5A));
  for (int c = 0xA7; c <= 0xAE; ++c) p[static_cast<std::size_t>(c)] = static_cast<std::uint16_t>(0xBFD3 + (c - 0xA7));
  for (int c = 0xB4; c <= 0xC6; ++c) p[static_cast<std::size_t>(c)] = static_cast<std::uint16_t>(0xBFE1 + (c - 0xB4));
  p[0xD0] = 0xBFFE;
  p[0xD6] = 0xC004;
  p[0xDA] = 0xC008;
  return p;
}();

constexpr std::array<std::uint8_t, 10> kFamilyTops = {0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0xBC, 0xBD, 0xBE, 0xBF, 0xC0};

}  // namespace

bool readTaggedInteger(TaggedScalar& out, ByteCursor& in) {
  out = {};
  const auto lead = in.peek();
  if (lead == 0xE1) return in.skip(1);
  // Repeat bytes belong to arrays, where the walker reads them.
  if (lead && *lead >= 0xE4 && *lead <= 0xE7) return false;
  const auto code = readIntCode(in);
  if (!code || code->kind == IntCode::Kind::Repeat) return false;
  if (code->kind == IntCode::Kind::Value) {
    out.tag = Tag::Integer;
    out.integer = code->value;
  }
  return true;
}

bool readTaggedByte(TaggedScalar& out, ByteCursor& in) {
  auto b = in.u8();
  if (!b) return false;
  out = {};
  if (*b == 0xF6 || *b == 0xE1) return true;
  if (*b == 0xE8) {
    if (!(b = in.u8())) return false;
  } else if (*b >= 0xE0) {
    return false;
  }
  out.tag = Tag::Integer;
  out.integer = *b;
  return true;
}

bool readTaggedDouble(TaggedScalar& out, ByteCursor& in) {
  const auto lead = in.u8();
  if (!lead) return false;
  const std::uint8_t c = *lead;
  out = {};
  if (c == 0xF6 || c == 0xE1) return true;
  if (c >= 0x02 && c <= 0x18) {
    if (const auto bits = constantBits(c)) setDouble(out, *bits);
    else out.tag = Tag::Unknown;
    return true;
  }
  if (c == 0x00 || c == 0x01) {
    const auto constant = in.u8();
    const auto low = in.bigEndian(c == 0x00 ? 1 : 2);
    if (!constant || !low) return false;
    const auto bits = constantBits(*constant);
    if (!bits) {
      out.tag = Tag::Unknown;
      return true;
    }
    const std::uint64_t mask = c == 0x00 ? 0xFF : 0xFFFF;
    setDouble(out, (*bits & ~mask) | *low);
    return true;
  }
  if (c >= 0x19 && c <= 0x4A) {
    const int family = (c - 0x19) / 5;
    const int variant = (c - 0x19) % 5;
    static constexpr std::size_t kStored[5] = {7, 2, 2, 3, 6};
    const std::size_t stored = kStored[variant];
    const auto low = in.bigEndian(stored);
    if (!low) return false;
    std::uint64_t bits = std::uint64_t{kFamilyTops[static_cast<std::size_t>(family)]} << 56;
    bits |= *low << (8 * (7 - stored));
    if (variant == 1) {
      const std::uint64_t last = *low & 0xFF;
      for (int i = 0; i < 5; ++i) bits |= last << (8 * i);
    }
    setDouble(out, bits);
    return true;
  }
  if (c >= 0x4B && c <= 0xDF) {
    const auto low = in.bigEndian(6);
    if (!low) return false;
    if (const std::uint16_t prefix = kPrefixes[c]) setDouble(out, (std::uint64_t{prefix} << 48) | *low);
    else out.tag = Tag::Unknown;
    return true;
  }
  if (c >= 0xE8 && c <= 0xED) {
    static constexpr std::size_t kTop[6] = {1, 2, 3, 4, 7, 8};
    const std::size_t n = kTop[c - 0xE8];
    const auto top = in.bigEndian(n);
    if (!top) return false;
    setDouble(out, n == 8 ? *top : *top << (8 * (8 - n)));
    return true;
  }
  return false;
}

std::string_view unescapeTaggedString(std::string_view text) {
  if (text.size() >= 2 && static_cast<std::uint8_t>(text[0]) == 0xE8 && static_cast<std::uint8_t>(text[1]) >= 0xE0)
    text.remove_prefix(1);
  return text;
}

bool readTaggedString(TaggedScalar& out, ByteCursor& in) {
  const auto lead = in.peek();
  if (!lead) return false;
  out = {};
  if (*lead == 0xE1) return in.skip(1);
  // A first byte E0 or above is a code, unless it is the escape of one.
  if (*lead >= 0xE0 && *lead != 0xE8) return false;
  const auto text = in.cstring();
  if (!text) return false;
  out.tag = Tag::String;
  out.text = unescapeTaggedString(*text);
  return true;
}

}  // namespace kelvaron::reader
