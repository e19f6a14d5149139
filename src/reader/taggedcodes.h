#pragma once
// The value codes of the tagged-binary sections: integers, single bytes,
// doubles and strings. Each reads one value at the cursor into a scalar and
// returns false (cursor position unspecified) on an unknown or truncated code.

#include "reader/bytecursor.h"
#include "reader/taggedtree.h"

namespace kelvaron::reader {

/// 00-7F; 80-BF b (14 bits); C0-DF b b (21 bits); E8..EB + 1..4 big-endian
/// bytes; F5 <code> the negative; F6 or E1 null.
bool readTaggedInteger(TaggedScalar& out, ByteCursor& in);

/// One raw byte; a byte E0 or above is written E8 b; F6 or E1 null.
bool readTaggedByte(TaggedScalar& out, ByteCursor& in);

/// The compact double code:
///   18 0.0, 0F 1.0, 10 -1.0, 0E 0.5; the other constants 02-17 are Unknown;
///   00 c b / 01 c b b: constant c with its last 1 / 2 bytes replaced (Unknown
///     when c is an unknown constant);
///   19-4A: a top byte from the family (b - 19) / 5, then by variant (b - 19) % 5
///     7 bytes; 2 bytes and the last repeated; 2 bytes and zeros; 3 bytes and
///     zeros; 6 bytes and a zero;
///   4B-DF: a known two-byte prefix and 6 bytes (Unknown where the prefix is not known);
///   E8..ED: the top 1, 2, 3, 4, 7 or 8 bytes, the rest zero;
///   F6 or E1 null.
/// EE, EF and every other lead byte are errors.
bool readTaggedDouble(TaggedScalar& out, ByteCursor& in);

/// Bytes up to a NUL; E1 null; one leading E8 is dropped when the byte after
/// it is E0 or above (the escape that keeps a first byte from reading as a code).
bool readTaggedString(TaggedScalar& out, ByteCursor& in);

/// The component-name form of the same escape, for string tables: `text`
/// without one leading E8 when the byte after it is E0 or above.
std::string_view unescapeTaggedString(std::string_view text);

}  // namespace kelvaron::reader
