// The rules of the Creo token stream that the real files do not all pin:
// placeholders, references, suppression, foreign parts, generics, a null
// dependency list, and streams that must fail into a note.

#include "reader/psbtokens.h"
#include "readerfixtures.h"

#include <gtest/gtest.h>

namespace kelvaron::reader {
namespace {

using fixtures::Psb;
using namespace std::string_literals;

QStringList summary(const AssemblyModel& m) {
  QStringList out;
  for (const ModelComponent& c : m.components) {
    out << QStringLiteral("%1 %2 %3/%4 g=%5 s=%6 sub=%7 f=%8")
               .arg(c.name, QString::fromLatin1(typeName(c.type)))
               .arg(c.quantity)
               .arg(c.suppressed)
               .arg(c.generic, c.source, c.subtype, c.file);
  }
  return out;
}

TEST(PsbTokens, DependencyRules) {
  Psb psb;
  psb.modelWithDependencies(11);
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
  psb.closeModel();
  AssemblyModel m;
  ASSERT_TRUE(readPsbTokens(psb.bytes(), m)) << m.notes.join(u"; ").toStdString();
  EXPECT_EQ(summary(m), QStringList({
                            "BOLT part 2/1 g= s= sub= f=bolt.prt",
                            "BOLT assembly 1/0 g= s= sub= f=bolt.asm",
                            "top base part 1/0 g= s=SLDPRT sub= f=top base.SLDPRT",
                            "ISO4762_M4X10 part 1/0 g=ISO4762 s= sub= f=iso4762.prt",
                            "CABLE part 1/0 g= s= sub=HARNESS_PART f=cable.prt",
                            "MIXED part 1/0 g= s= sub= f=mixed.prt",
                        }));
  EXPECT_EQ(m.model, QStringLiteral("top.asm"));
  EXPECT_TRUE(m.notes.isEmpty());
}

TEST(PsbTokens, ANullDependencyListIsAnEmptyAssembly) {
  Psb psb;
  psb.structOf("ndmodel_l05_px::Model_L05_PX").field("Dependencies_P").null().end().end();
  AssemblyModel m;
  m.model = QStringLiteral("pinion_1.asm");
  ASSERT_TRUE(readPsbTokens(psb.bytes(), m));
  EXPECT_TRUE(m.components.empty());
  EXPECT_EQ(m.model, QStringLiteral("pinion_1.asm"));  // the header's name wins
}

// The stream cut or bent in one place; each must fail with a note and leave no components.
TEST(PsbTokens, DamagedStreamsFailIntoANote) {
  const auto valid = [] {
    Psb psb;
    psb.modelWithDependencies(1).dependency("BOLT", "prt", 2, true);
    return psb.closeModel();
  };
  struct Case {
    const char* what;  // also a piece of the note it must give
    std::string bytes;
  };
  std::vector<Case> cases;
  {
    Psb psb;
    psb.modelWithDependencies(1).raw('Z');
    psb.closeModel();
    cases.push_back({"unknown token letter", psb.bytes()});
  }
  {
    Psb psb;
    psb.structOf("Model").field("Dependencies_P").raw('M', 99, true);
    cases.push_back({"names no string", psb.bytes()});
  }
  {
    Psb psb;
    psb.structOf("Model").field("Dependencies_P").raw('O', -1, true);
    cases.push_back({"names no string", psb.bytes()});
  }
  {
    Psb psb;
    psb.structOf("Model").field("Dependencies_P").structOf("Deps").raw('R');
    cases.push_back({"closes the wrong level", psb.bytes()});
  }
  {
    Psb psb;
    psb.modelWithDependencies(1);
    cases.push_back({"ends inside the model", psb.bytes()});
  }
  {
    Psb psb;
    psb.structOf("Model").field("Descriptor").null().end();
    cases.push_back({"no dependency list", psb.bytes()});
  }
  const std::string good = valid().bytes();
  const std::size_t typeCount = good.find("type_har") + 10;
  std::string claims = good;
  claims.replace(typeCount, 3, fixtures::intCode(std::int64_t{1} << 31));
  cases.push_back({"ends before its 2147483648 tokens", claims});
  std::string intClaims = good;
  const std::size_t intCount = good.find("int_har") + 9;
  intClaims.replace(intCount, 1, fixtures::intCode(std::int64_t{1} << 31));
  cases.push_back({"ends before its 2147483648 values", intClaims});
  cases.push_back({"no string_xar", good.substr(0, good.find("string_xar") - 2)});
  cases.push_back({"string_xar ends before", good.substr(0, good.size() - 8)});
  // A million nested structs, in a few bytes: M and its string index each repeated by E7.
  std::string deep = "\xE0\x00PSB_Tokens\x00\xE2\xE0\x04type_har\x00\xF8"s + fixtures::intCode(1000001) + "M";
  deep += std::string(250000, '\xE7');
  deep += "\xE0\x01int_har\x00\xF8"s + fixtures::intCode(1000001) + '\0' + std::string(250000, '\xE7');
  deep += "\xE0\x03string_xar\x00\xF8\x01X\x00"s;
  cases.push_back({"nesting deeper", deep});

  for (const Case& c : cases) {
    AssemblyModel m;
    EXPECT_FALSE(readPsbTokens(c.bytes, m)) << c.what;
    EXPECT_TRUE(m.components.empty()) << c.what;
    ASSERT_EQ(m.notes.size(), 1) << c.what;
    EXPECT_TRUE(m.notes.front().startsWith(u"damaged model section")) << c.what;
    EXPECT_TRUE(m.notes.front().contains(QLatin1String(c.what))) << m.notes.front().toStdString();
  }
  AssemblyModel m;
  EXPECT_TRUE(readPsbTokens(good, m));  // the cases above are damage, not a broken builder
}

}  // namespace
}  // namespace kelvaron::reader
