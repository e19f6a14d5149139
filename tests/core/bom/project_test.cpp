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
    assembly("top.asm", {{sub("SUB", 2), part("BOLT", 4), part("GONE")}});
    assembly("sub/sub.asm.3", {{part("BOLT", 2), part("WASHER", 1, 1)}});
    assembly("sub/sub.asm.1", {{part("BOLT"), part("OLDPART"), part("GONE")}});
    assembly("top2.asm", {{sub("SUB")}});
    assembly("bad.asm", std::nullopt);
    for (const char* f : {"bolt.prt", "lib/washer.prt", "unused.prt", "unused.prt.2", "lib/oldpart.prt", "notes.txt"})
      touch(f);
  }
  bom::ProjectScan scan(bool latest, int jobs = 1) { return bom::scanProject({path({})}, latest, loader(), jobs); }
  QString list(const QStringList& paths) const {
    QStringList out;
    for (const QString& p : paths) out << relative(p);
    return out.join(u' ');
  }
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
    for (const auto& m : r.missing) missing << m.file + " <- " + list(m.neededBy);
    QStringList got{missing.join(u','), r.unreadable.size() == 1 ? list({r.unreadable[0].path}) : "?", list(r.top),
                    list(unused)};
    const QString neededBy = c.latest ? "top.asm" : "top.asm sub/sub.asm.1";
    EXPECT_EQ(got, QStringList({"gone.prt <- " + neededBy, "bad.asm", "top.asm top2.asm", c.unused}))
        << c.latest << " " << c.jobs;
    EXPECT_FALSE(r.clean());
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
      got << (c.indirect ? QString::number(u.quantity) + u' ' + list(u.path)
                         : relative(u.assembly) + u' ' + QString::number(u.quantity));
    }
    EXPECT_EQ(got.join(QStringLiteral(", ")), c.expected) << c.name;
  }
}

TEST(DiffModels, EveryKindOfChange) {
  const auto oldModel = model({part("A", 2), part("B"), part("C"), part("D", 3, 1), sub("E")});
  const auto newModel = model({part("a", 2), part("B", 1, 1), part("D", 4, 1), part("F", 2), part("E")});
  QStringList got;
  for (const bom::ComponentChange& c : bom::diffModels(oldModel, newModel))
    got << QStringLiteral("%1 %2 %3 %4>%5 %6>%7")
               .arg(bom::changeName(c.kind), reader::typeName(c.type), c.name)
               .arg(c.oldQuantity)
               .arg(c.newQuantity)
               .arg(c.oldSuppressed)
               .arg(c.newSuppressed);
  EXPECT_EQ(got, QStringList({"added part F 0>2 0>0", "added part E 0>1 0>0", "removed part C 1>0 0>0",
                              "removed assembly E 1>0 0>0", "changed part B 1>1 0>1", "changed part D 3>4 1>1"}));
  EXPECT_TRUE(bom::diffModels(oldModel, oldModel).empty());
}

}  // namespace
}  // namespace kelvaron::bomtest
