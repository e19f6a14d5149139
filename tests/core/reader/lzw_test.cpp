// The LZW decoder on handmade code streams, for the rules real files never
// use, and against gzip -dc across every code width; the corpus test reads
// the compressed sections of real files.

#include "reader/lzw.h"
#include "readerfixtures.h"

#include <tuple>
#include <gtest/gtest.h>

namespace kelvaron::reader {
namespace {

using fixtures::packCodes;

TEST(Lzw, HandmadeStreams) {
  const std::string full = packCodes({'a', 'b', 256, 258, 'c'});
  const std::tuple<const char*, std::string, std::size_t, LzwStatus, std::string> cases[] = {
      {"literals", packCodes({'a', 'b', 'c'}), 100, LzwStatus::Complete, "abc"},
      {"a code names an earlier pair", packCodes({'a', 'b', 256, 257}), 100, LzwStatus::Complete, "ababba"},
      {"a code equal to the next free entry", packCodes({'a', 256, 257}), 100, LzwStatus::Complete, "aaaaaa"},
      {"block mode: CLEAR restarts the table", packCodes({'a', 'b', 256, 'c', 'd', 257}, true), 100,
       LzwStatus::Complete, "abcdcd"},
      {"without block mode 256 is an entry", packCodes({'a', 'b', 256}, false), 100, LzwStatus::Complete, "abab"},
      {"a code past the next free entry", packCodes({'a', 'b', 300, 'c'}), 100, LzwStatus::Corrupt, "ab"},
      {"a first code that is no literal", packCodes({300}), 100, LzwStatus::Corrupt, ""},
      {"a CLEAR first", packCodes({256, 'a'}, true), 100, LzwStatus::Corrupt, ""},
      {"truncated inside a code", full.substr(0, full.size() - 1), 100, LzwStatus::Complete, "abababa"},
      {"output capped", full, 3, LzwStatus::Capped, "aba"},
      {"no magic", "\x1F\x8B\x08", 100, LzwStatus::Corrupt, ""},
      {"more than 16 bits", std::string("\x1F\x9D\x11", 3) + "abc", 100, LzwStatus::Corrupt, ""},
      {"header only", std::string("\x1F\x9D\x10", 3), 100, LzwStatus::Complete, ""},
  };
  for (const auto& [what, stream, cap, status, output] : cases) {
    std::string out;
    EXPECT_EQ(decodeLzw(stream, cap, out), status) << what;
    EXPECT_EQ(out, output) << what;
  }
}

// Literals with a back reference every tenth code cross every width from 9
// to 16 bits and the end of the table: the padding at each change must match.
TEST(Lzw, EveryWidthAndAFullTableSameAsGzip) {
  std::vector<std::uint32_t> codes;
  for (std::uint32_t i = 0; i < 70000; ++i) {
    const std::uint32_t nextFree = 255 + i;
    codes.push_back(i % 10 == 9 && nextFree < 65536 ? nextFree - 3 : (i * 7) % 256);
  }
  const std::string stream = packCodes(codes);
  std::string ours;
  ASSERT_EQ(decodeLzw(stream, std::size_t{1} << 24, ours), LzwStatus::Complete);
  EXPECT_GT(ours.size(), codes.size());
  const auto theirs = fixtures::gunzip(stream);
  if (!theirs) GTEST_SKIP() << "gzip absent";
  EXPECT_TRUE(ours == *theirs);
}

}  // namespace
}  // namespace kelvaron::reader
