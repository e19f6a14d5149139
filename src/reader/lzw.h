#pragma once
// The Unix "compress" (LZW) stream the binary container stores most sections in.

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvaron::reader {

/// How an LZW decode ended.
enum class LzwStatus {
  Complete,  ///< every code of the input was decoded
  Capped,    ///< the output reached the cap with codes left over
  Corrupt,   ///< no "1F 9D" header, a bad flags byte, or a code that names no entry
};

/// True when `bytes` starts with the "compress" magic 1F 9D.
bool isLzw(std::string_view bytes);

/// Decodes the "compress" stream `in` (header 1F 9D, flags, codes LSB-first
/// from 9 bits, the classic padding at each width change, CLEAR in block mode)
/// into `out`, writing at most `maxOutput` bytes. Whatever was decoded before
/// a corrupt code stays in `out`. The output equals `gzip -dc` on the same bytes.
/// `expected`, the length the container declares, sizes `out` ahead when the
/// codes could really expand that far; it never bounds the output.
LzwStatus decodeLzw(std::string_view in, std::size_t maxOutput, std::string& out, std::size_t expected = 0);

}  // namespace kelvaron::reader
