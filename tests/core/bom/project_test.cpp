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
    assembly("proj/top.asm", {sub("SUB", 2), part("BOLT", 4), part("GONE")});
    assembly("proj/sub/sub.asm.3", {part("BOLT", 2), part("WASHER", 1, 1)});
    assembly("proj/sub/sub.asm.1", {part("BOLT"), part("OLDPART")});
    assembly("proj/top2.asm", {sub("SUB")});
    broken("proj/bad.asm");
    for (const char* f : {"proj/bolt.prt", "proj/lib/washer.prt", "proj/unused.prt", "proj/unused.prt.2",
                          "proj/lib/oldpart.prt", "proj/notes.txt"})
      touch(f);
  }
  bom::ProjectScan scan(bool latest, int jobs = 1) { return bom::scanProject({path("proj")}, latest, loader(), jobs); }
  QStringList paths(const QStringList& names) const {
    QStringList p;
    for (const QString& n : names) p << path(n);
    return p;
  }
};

TEST_F(ProjectTest, CheckFindsMissingUnreadableUnusedAndTop) {
  struct Case {
    bool latest;
    QStringList unused;
    QStringList read;
  } cases[] = {
      {false,
       {"proj/unused.prt", "proj/unused.prt.2"},
       {"proj/top.asm", "proj/top2.asm", "proj/bad.asm", "proj/sub/sub.asm.1", "proj/sub/sub.asm.3"}},
      {true,
       {"proj/unused.prt", "proj/unused.prt.2", "proj/lib/oldpart.prt"},
       {"proj/top.asm", "proj/top2.asm", "proj/bad.asm", "proj/sub/sub.asm.3"}},
  };
  for (const auto& [c, jobs] : {std::pair{cases[0], 1}, {cases[1], 1}, {cases[0], 4}}) {
    m_reads.clear();
    const bom::CheckResult r = bom::checkProject(scan(c.latest, jobs));
    const std::string what = (c.latest ? "--latest, jobs " : "every version, jobs ") + std::to_string(jobs);
    ASSERT_EQ(r.missing.size(), 1u) << what;
    EXPECT_EQ(r.missing[0].file, "gone.prt");
    EXPECT_EQ(r.missing[0].neededBy, paths({"proj/top.asm"}));
    ASSERT_EQ(r.unreadable.size(), 1u) << what;
    EXPECT_EQ(r.unreadable[0].path, path("proj/bad.asm"));
    EXPECT_TRUE(r.unreadable[0].reason.contains("damaged"));
    EXPECT_EQ(r.top, paths({"proj/top.asm", "proj/top2.asm"})) << what;
    QStringList unused = r.unused, expected = paths(c.unused);
    unused.sort();
    expected.sort();
    EXPECT_EQ(unused, expected) << what;
    EXPECT_FALSE(r.clean());
    EXPECT_EQ(m_reads.size(), c.read.size()) << what;
    for (const QString& f : c.read) EXPECT_EQ(reads(f), 1) << what << ": " << f.toStdString();
  }
}

TEST_F(ProjectTest, CheckOfACompleteFolderIsClean) {
  startCase("clean");
  assembly("a/top.asm", {part("X", 2)});
  touch("a/sub/x.prt.4");
  const bom::CheckResult r = bom::checkProject(bom::scanProject({path("a")}, false, loader()));
  EXPECT_TRUE(r.clean());
  EXPECT_TRUE(r.unused.isEmpty());
  EXPECT_EQ(r.top, QStringList{path("a/top.asm")});
}

TEST_F(ProjectTest, WhereUsedDirectAndUpToTheTops) {
  struct Case {
    const char* name;
    bool indirect;
    std::vector<std::tuple<const char*, std::int64_t, QStringList>> expected;  // assembly, quantity, path
  } cases[] = {
      {"bolt", false, {{"proj/top.asm", 4, {}}, {"proj/sub/sub.asm.1", 1, {}}, {"proj/sub/sub.asm.3", 2, {}}}},
      {"Washer.PRT", false, {{"proj/sub/sub.asm.3", 1, {}}}},
      {"washer",
       true,
       {{"proj/top.asm", 2, {"proj/top.asm", "proj/sub/sub.asm.3"}},
        {"proj/top2.asm", 1, {"proj/top2.asm", "proj/sub/sub.asm.3"}}}},
      {"BOLT",
       true,
       {{"proj/top.asm", 4, {"proj/top.asm"}},
        {"proj/sub/sub.asm.1", 1, {"proj/sub/sub.asm.1"}},
        {"proj/top.asm", 4, {"proj/top.asm", "proj/sub/sub.asm.3"}},
        {"proj/top2.asm", 2, {"proj/top2.asm", "proj/sub/sub.asm.3"}}}},
      {"nothing", true, {}},
  };
  const bom::ProjectScan s = scan(false);
  for (const Case& c : cases) {
    const auto usages = bom::whereUsed(s, QString::fromUtf8(c.name), c.indirect);
    ASSERT_EQ(usages.size(), c.expected.size()) << c.name;
    for (std::size_t i = 0; i < usages.size(); ++i) {
      const auto& [assembly, quantity, via] = c.expected[i];
      EXPECT_EQ(usages[i].assembly, path(assembly)) << c.name << " " << i;
      EXPECT_EQ(usages[i].quantity, quantity) << c.name << " " << i;
      EXPECT_EQ(usages[i].path, paths(via)) << c.name << " " << i;
    }
  }
}

TEST(NamesComponent, NameGenericOrFile) {
  reader::ModelComponent c;
  c.name = "ISO4762_M4X10";
  c.generic = "ISO4762";
  c.file = "iso4762.prt";
  for (const char* yes : {"iso4762_m4x10", "ISO4762", "iso4762.prt", "ISO4762.PRT.3"})
    EXPECT_TRUE(bom::namesComponent(QString::fromUtf8(yes), c)) << yes;
  for (const char* no : {"iso4762.asm", "ISO", "iso4762_m4x10.prt.bak"})
    EXPECT_FALSE(bom::namesComponent(QString::fromUtf8(no), c)) << no;
}

TEST(DiffModels, EveryKindOfChange) {
  using Kind = bom::ComponentChange::Kind;
  const auto oldModel = model({part("A", 2), part("B"), part("C"), part("D", 3, 1), sub("E")});
  const auto newModel = model({part("a", 2), part("B", 1, 1), part("D", 4, 1), part("F", 2), part("E")});
  struct Row {
    Kind kind;
    const char* name;
    ComponentType type;
    std::int64_t oq, nq, os, ns;
  } expected[] = {
      {Kind::Added, "F", ComponentType::Part, 0, 2, 0, 0},   {Kind::Added, "E", ComponentType::Part, 0, 1, 0, 0},
      {Kind::Removed, "C", ComponentType::Part, 1, 0, 0, 0}, {Kind::Removed, "E", ComponentType::Assembly, 1, 0, 0, 0},
      {Kind::Changed, "B", ComponentType::Part, 1, 1, 0, 1}, {Kind::Changed, "D", ComponentType::Part, 3, 4, 1, 1},
  };
  const auto changes = bom::diffModels(oldModel, newModel);
  ASSERT_EQ(changes.size(), std::size(expected));
  for (std::size_t i = 0; i < changes.size(); ++i) {
    const Row& e = expected[i];
    const bom::ComponentChange& c = changes[i];
    EXPECT_EQ(c.kind, e.kind) << i;
    EXPECT_EQ(c.name, e.name) << i;
    EXPECT_EQ(c.type, e.type) << i;
    EXPECT_EQ(std::tie(c.oldQuantity, c.newQuantity, c.oldSuppressed, c.newSuppressed),
              std::tie(e.oq, e.nq, e.os, e.ns))
        << i;
  }
  EXPECT_TRUE(bom::diffModels(oldModel, oldModel).empty());
}

}  // namespace
}  // namespace kelvaron::bomtest
