// The decoded streams of a binary file on handmade input: the LZW code
// stream, for the rules real files never use and against gzip -dc across
// every code width (the corpus test reads the compressed sections of real
// files); and the rules of the Creo token stream that the real files do not
// all pin: placeholders, references, suppression, foreign parts, generics,
// and streams that must fail into a note.

#include "reader/intcode.h"
#include "reader/lzw.h"
#include "reader/psbtokens.h"
#include "readerfixtures.h"

#include <gtest/gtest.h>
#include <tuple>

namespace kelvaron::reader {
namespace {

using fixtures::Psb;
using namespace std::string_literals;

// Components are merged through an index, not by comparing each with all
// before it: 300,000 distinct ones in a crafted stream take a moment where a
// quadratic merge takes minutes (the suite's time limit stops that).
TEST(PsbTokens, ManyDistinctComponentsAreMergedInLinearTime) {
  constexpr int kCount = 300000;
  Psb psb;
  psb.modelWithDependencies(kCount + 2);
  for (int i = 0; i < kCount; ++i) psb.dependency("P" + std::to_string(i), "prt", 2, true);
  psb.dependency("P0", "prt", 2, true).dependency("P" + std::to_string(kCount - 1), "prt", 2, true);
  AssemblyModel m;
  ASSERT_TRUE(readPsbTokens(psb.closeModel().bytes(), m));
  ASSERT_EQ(m.components.size(), std::size_t{kCount});
  EXPECT_EQ(m.components.front().quantity + m.components.back().quantity, 4);
}

TEST(PsbTokens, DependencyRules) {
  Psb psb;
  psb.modelWithDependencies(13);
  // A placeholder: no descriptor, no DepType, no component.
  psb.element().structOf("ndmoddeps_l05_p::Dependency_L05_P").field("ToModelDescriptor").null();
  psb.field("DepType").integer(std::nullopt).field("Component").null().end();
  psb.dependency("BOLT", "prt", 2, true);
  psb.dependency("BOLT", "prt", 32768, true);  // suppressed
  psb.dependency("BOLT", "asm", 2, true);      // same name, other type: its own component
  psb.dependency("REF_ONLY", "prt", 8, false);
  psb.dependency("MODELING", "prt", std::nullopt, false);
  psb.dependency("top base", "SLDPRT", 2, true);
  psb.dependency("ISO4762_M4X10", "prt", 2, true, "ISO4762");
  psb.dependency("CABLE", "prt", 2, true, std::nullopt, "HARNESS_PART");
  psb.dependency("BOLT", "prt", 2, true);
  psb.dependency("MIXED", "prt", 32770, true);  // bit 2 set: an active instance
  // A first byte E0 or above is escaped with an E8, dropped on reading; a later one is not.
  psb.dependency("\xE8\xE5\xBA\x95\xE9\x83\xA8", "prt", 2, true);
  psb.dependency("\xE8\x80\x80X", "prt", 2, true);
  psb.closeModel();
  AssemblyModel m;
  ASSERT_TRUE(readPsbTokens(psb.bytes(), m)) << m.notes.join(u"; ").toStdString();
  EXPECT_EQ(fixtures::modelLines(m, true),
            QStringList({"BOLT part 2 1  sub= f=bolt.prt", "BOLT assembly 1 0  sub= f=bolt.asm",
                         "top base part 1 0  src=SLDPRT sub= f=top base.SLDPRT",
                         "ISO4762_M4X10 part 1 0 ISO4762 sub= f=iso4762.prt",
                         "CABLE part 1 0  sub=HARNESS_PART f=cable.prt", "MIXED part 1 0  sub= f=mixed.prt",
                         "底部 part 1 0  sub= f=底部.prt", "\u8000X part 1 0  sub= f=\u8000x.prt"}));
  EXPECT_EQ(m.model, QStringLiteral("box.asm"));
  EXPECT_TRUE(m.notes.isEmpty());
}

// The stream cut or bent in one place; each must fail with one note naming
// the damage and leave no components.
TEST(PsbTokens, DamagedStreamsFailIntoANote) {
  const std::string good = Psb().modelWithDependencies(1).dependency("BOLT", "prt", 2, true).closeModel().bytes();
  std::string claims = good;
  const std::size_t countAt = good.find("type_har") + 10;
  ByteCursor count(good, countAt);
  ASSERT_TRUE(readIntCode(count));
  claims.replace(countAt, count.offset() - countAt, fixtures::intCode(std::int64_t{1} << 31));
  // A million nested structs, in a few bytes: M and its string index each repeated by E7.
  std::string deep = "\xE0\x00PSB_Tokens\x00\xE2\xE0\x04type_har\x00\xF8"s + fixtures::intCode(1000001) + "M";
  deep += std::string(250000, '\xE7');
  deep += "\xE0\x01int_har\x00\xF8"s + fixtures::intCode(1000001) + '\0' + std::string(250000, '\xE7');
  deep += "\xE0\x03string_xar\x00\xF8\x01X\x00"s;
  // Five million empty strings: five million slots from five megabytes.
  std::string empties = good.substr(0, good.find("string_xar") + 11) + "\xF8"s + fixtures::intCode(5'000'000);
  empties += std::string(5'000'000, '\0') + "\xF1";
  const std::pair<const char*, std::string> cases[] = {
      // what: also a piece of the note
      {"unknown token letter", Psb().modelWithDependencies(1).raw('Z').closeModel().bytes()},
      // Two strings, "Model" and "Dependencies_P": indices 99, -1 and 2, one past the last.
      {"names no string", Psb().structOf("Model").field("Dependencies_P").raw('M', 99, true).bytes()},
      {"names no string", Psb().structOf("Model").field("Dependencies_P").raw('O', -1, true).bytes()},
      {"names no string", Psb().structOf("Model").field("Dependencies_P").raw('O', 2, true).bytes()},
      {"closes the wrong level", Psb().structOf("Model").field("Dependencies_P").structOf("Deps").raw('R').bytes()},
      {"ends inside the model", Psb().modelWithDependencies(1).bytes()},
      {"no dependency list", Psb().structOf("Model").field("Descriptor").null().end().bytes()},
      {"ends before its 2147483648 tokens", claims},
      {"string_xar ends before", good.substr(0, good.size() - 8)},
      {"nesting deeper", deep},
      {"claims 5000000 strings", empties},
  };
  for (const auto& [what, bytes] : cases) {
    AssemblyModel m;
    EXPECT_FALSE(readPsbTokens(bytes, m)) << what;
    EXPECT_TRUE(m.components.empty()) << what;
    EXPECT_TRUE(m.notes.size() == 1 && m.notes.front().startsWith(u"damaged model section") &&
                m.notes.front().contains(QLatin1String(what)))
        << what << ": " << m.notes.join(u"; ").toStdString();
  }
  AssemblyModel m;
  EXPECT_TRUE(readPsbTokens(good, m));  // the cases above are damage, not a broken builder
}

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
