#include "bom/modeldiff.h"
#include "bom/projectcheck.h"
#include "bom/whereused.h"

#include "core/bom/bomfixture.h"

namespace kelvaron::bomtest {
namespace {

class ProjectTest : public BomTest {
 protected:
  void SetUp() override {
    BomTest::SetUp();
    startCase("proj");
    make(
        "top.asm: +SUB*2 BOLT*4 GONE; sub/sub.asm.3: BOLT*2 WASHER~1; sub/sub.asm.1: BOLT OLDPART GONE; top2.asm: +SUB;"
        "bad.asm; bolt.prt; lib/washer.prt; unused.prt; unused.prt.2; lib/oldpart.prt; notes.txt");
  }
  bom::ProjectScan scan(bool latest, int jobs = 1) { return bom::scanProject({path({})}, latest, loader(), jobs); }
};

TEST_F(ProjectTest, CheckFindsMissingUnreadableUnusedAndTop) {
  struct Case {
    bool latest;
    int jobs;
    const char* unused;
    int reads;
  } cases[] = {
      {false, 1, "unused.prt unused.prt.2", 5},
      {true, 1, "lib/oldpart.prt unused.prt unused.prt.2", 4},
      {false, 4, "unused.prt unused.prt.2", 5},
  };
  for (const Case& c : cases) {
    m_reads.clear();
    const bom::CheckResult r = bom::checkProject(scan(c.latest, c.jobs));
    QStringList unused = r.unused, missing;
    unused.sort();
    for (const auto& m : r.missing) missing << m.file + " <- " + rel(m.neededBy);
    QStringList got{missing.join(u','), r.unreadable.size() == 1 ? rel({r.unreadable[0].path}) : "?", rel(r.top),
                    rel(unused)};
    const QString neededBy = c.latest ? "top.asm" : "top.asm sub/sub.asm.1";
    EXPECT_EQ(got, QStringList({"gone.prt <- " + neededBy, "bad.asm", "top.asm top2.asm", c.unused}))
        << c.latest << " " << c.jobs;
    EXPECT_EQ(m_reads.size(), c.reads);
    for (const QString& f : m_reads.keys()) EXPECT_EQ(m_reads.value(f), 1) << f.toStdString();
  }
}

// Each expected use: "assembly quantity" or, followed up, "quantity path…".
TEST_F(ProjectTest, WhereUsedDirectAndUpToTheTops) {
  struct Case {
    const char* name;
    bool indirect;
    const char* expected;
  } cases[] = {
      {"bolt", false, "top.asm 4, sub/sub.asm.1 1, sub/sub.asm.3 2"},
      {"Washer.PRT", false, "sub/sub.asm.3 1"},
      {"washer", true, "2 top.asm sub/sub.asm.3, 1 top2.asm sub/sub.asm.3"},
      {"BOLT", true, "4 top.asm, 1 sub/sub.asm.1, 4 top.asm sub/sub.asm.3, 2 top2.asm sub/sub.asm.3"},
      {"nothing", true, ""},
  };
  const bom::ProjectScan s = scan(false);
  for (const Case& c : cases) {
    QStringList got;
    for (const bom::Usage& u : bom::whereUsed(s, QString::fromUtf8(c.name), c.indirect)) {
      EXPECT_EQ(u.assembly, c.indirect ? u.path.value(0) : u.assembly) << c.name;
      got << (c.indirect ? QString::number(u.quantity) + u' ' + rel(u.path)
                         : rel({u.assembly}) + u' ' + QString::number(u.quantity));
    }
    EXPECT_EQ(got.join(QStringLiteral(", ")), c.expected) << c.name;
  }
}

TEST(DiffModels, EveryKindOfChange) {
  const auto oldModel = model("A*2 B C D*3~1 +E");
  const auto newModel = model("a*2 B~1 D*4~1 F*2 E");
  QStringList got;
  for (const bom::ComponentChange& c : bom::diffModels(oldModel, newModel))
    got << QStringLiteral("%1 %2 %3 %4>%5 %6>%7")
               .arg(bom::changeName(c.kind), reader::typeName(c.type), c.name, QString::number(c.oldQuantity),
                    QString::number(c.newQuantity), QString::number(c.oldSuppressed), QString::number(c.newSuppressed));
  EXPECT_EQ(got, QStringList({"added part F 0>2 0>0", "added part E 0>1 0>0", "removed part C 1>0 0>0",
                              "removed assembly E 1>0 0>0", "changed part B 1>1 0>1", "changed part D 3>4 1>1"}));
  EXPECT_TRUE(bom::diffModels(oldModel, oldModel).empty());
}

}  // namespace
}  // namespace kelvaron::bomtest
