#include "bom/productrows.h"

#include "core/bom/bomfixture.h"

namespace kelvaron::bomtest {
namespace {

using bom::Status;

struct Expect {
  const char* name;
  std::int64_t quantity;
  std::int64_t suppressed;
  int parents;
  Status status = Status::Ok;
};

class ProductTest : public BomTest {
 protected:
  bom::Product load(const QString& top, const QStringList& search = {}) {
    QStringList dirs;
    for (const QString& s : search) dirs << path(s);
    return bom::loadProduct(path(top), dirs, loader());
  }
  // The flat list must hold exactly `expected`, in any order.
  static void expectFlat(const std::vector<bom::FlatItem>& items, const std::vector<Expect>& expected,
                         const std::string& what) {
    EXPECT_EQ(items.size(), expected.size()) << what;
    for (const Expect& e : expected) {
      const auto it =
          std::find_if(items.begin(), items.end(), [&](const bom::FlatItem& i) { return i.name == e.name; });
      ASSERT_NE(it, items.end()) << what << ": " << e.name;
      EXPECT_EQ(it->quantity, e.quantity) << what << ": " << e.name;
      EXPECT_EQ(it->suppressed, e.suppressed) << what << ": " << e.name;
      EXPECT_EQ(it->parents, e.parents) << what << ": " << e.name;
      EXPECT_EQ(it->status, e.status) << what << ": " << e.name;
    }
  }
};

TEST_F(ProductTest, TotalsMultiplyAlongEveryPathAtEachDepth) {
  assembly("p/top.asm.2", {sub("SUB", 2), part("BOLT", 4), sub("DEEP", 1)});
  assembly("p/sub.asm", {part("BOLT", 3), part("NUT", 2, 1), sub("DEEP", 1)});
  assembly("p/deep.asm", {part("NUT", 5), part("BOLT", 1)});
  touch("p/bolt.prt");
  touch("p/nut.prt.3");
  const bom::Product product = load("p/top.asm.2");
  struct Case {
    int depth;
    std::vector<Expect> flat;
  } cases[] = {
      {0,
       {{"BOLT", 4 + 2 * 3 + (2 + 1) * 1, 0, 3},
        {"NUT", 2 * 2 + (2 + 1) * 5, 2, 2},
        {"SUB", 2, 0, 1},
        {"DEEP", 3, 0, 2}}},
      {1, {{"BOLT", 4, 0, 1}, {"SUB", 2, 0, 1}, {"DEEP", 1, 0, 1}}},
      {2, {{"BOLT", 4 + 6 + 1, 0, 3}, {"NUT", 4 + 5, 2, 2}, {"SUB", 2, 0, 1}, {"DEEP", 3, 0, 2}}},
  };
  for (const Case& c : cases) expectFlat(bom::flatItems(product, c.depth), c.flat, "depth " + std::to_string(c.depth));

  std::vector<int> levels;
  QStringList names;
  for (const bom::TreeRow& r : bom::treeRows(product, 0)) {
    levels.push_back(r.level);
    names << r.name;
  }
  EXPECT_EQ(levels, (std::vector<int>{0, 1, 2, 2, 2, 3, 3, 1, 1, 2, 2}));
  EXPECT_EQ(names, QStringList({"TOP", "SUB", "BOLT", "NUT", "DEEP", "NUT", "BOLT", "BOLT", "DEEP", "NUT", "BOLT"}));
  EXPECT_EQ(bom::treeRows(product, 1).size(), 4u);
  EXPECT_EQ(reads("p/deep.asm"), 1) << "a shared sub-assembly is read once";
  EXPECT_TRUE(product.notes.isEmpty()) << product.notes.join('\n').toStdString();
}

TEST_F(ProductTest, ProblemsAreMarkedAndTheRestIsDone) {
  struct Case {
    const char* what;
    std::function<void()> make;
    QStringList search;
    std::vector<Expect> flat;
    const char* note;  // a fragment one note must hold, or ""
  } cases[] = {
      {"a cycle is cut where it closes",
       [this] {
         assembly("p/a.asm", {sub("B"), part("P")});
         assembly("p/b.asm", {sub("A", 2), part("Q")});
         touch("p/p.prt");
         touch("p/q.prt");
       },
       {},
       {{"B", 1, 0, 1}, {"A", 2, 0, 1, Status::Cycle}, {"P", 1, 0, 1}, {"Q", 1, 0, 1}},
       "contains itself"},
      {"an assembly placing itself",
       [this] { assembly("p/a.asm", {sub("A", 3)}); },
       {},
       {{"A", 3, 0, 1, Status::Cycle}},
       "contains itself"},
      {"the same name in two folders: the first search folder wins",
       [this] {
         assembly("p/a.asm", {part("X", 2)});
         touch("s1/x.prt");
         touch("s2/deep/x.prt");
       },
       {"s1", "s2"},
       {{"X", 2, 0, 1}},
       "s2/deep/x.prt"},
      {"one name, two files: each parent's own folder first",
       [this] {
         assembly("p/a.asm", {sub("SUB"), part("X")});
         assembly("q/sub.asm", {part("X", 2)});
         touch("p/x.prt");
         touch("q/x.prt");
       },
       {"q"},
       {{"SUB", 1, 0, 1}, {"X", 3, 0, 2}},
       "placed as"},
      {"family-table instances resolve to their generic's file",
       [this] {
         assembly("p/a.asm", {{"ISO4762_M4X10", ComponentType::Part, 10, 0, "ISO4762"},
                              {"ISO4762_M5X10", ComponentType::Part, 2, 0, "ISO4762"}});
         touch("p/iso4762.prt");
       },
       {},
       {{"ISO4762_M4X10", 10, 0, 1}, {"ISO4762_M5X10", 2, 0, 1}},
       ""},
      {"a suppressed sub-assembly is not expanded",
       [this] {
         assembly("p/a.asm", {sub("SUB", 0, 2), sub("OTHER")});
         assembly("p/sub.asm", {part("BOLT", 5)});
         assembly("p/other.asm", {part("BOLT", 1, 1)});
         touch("p/bolt.prt");
       },
       {},
       {{"SUB", 0, 2, 1}, {"OTHER", 1, 0, 1}, {"BOLT", 1, 1, 1}},
       ""},
      {"NAME.asm next to NAME.asm.7: the version is read",
       [this] {
         assembly("p/a.asm", {sub("SUB")});
         assembly("p/sub.asm", {part("OLD")});
         assembly("p/sub.asm.7", {part("NEW")});
       },
       {},
       {{"SUB", 1, 0, 1}, {"NEW", 1, 0, 1, Status::Missing}},
       ""},
      {"an unreadable sub-assembly",
       [this] {
         assembly("p/a.asm", {sub("BAD", 2), sub("SUB"), part("GOOD")});
         assembly("p/sub.asm", {sub("BAD"), part("GOOD", 3)});
         broken("p/bad.asm");
         touch("p/good.prt");
       },
       {},
       {{"BAD", 3, 0, 2, Status::Unreadable}, {"SUB", 1, 0, 1}, {"GOOD", 4, 0, 2}},
       ""},
  };
  int n = 0;
  for (const Case& c : cases) {
    // Each case in its own folder, so none sees another's files.
    startCase(QStringLiteral("case%1").arg(n++));
    c.make();
    const bom::Product product = load("p/a.asm", c.search);
    QStringList notes = product.notes;
    expectFlat(bom::flatItems(product, 0, &notes), c.flat, c.what);
    if (*c.note) {
      EXPECT_TRUE(notes.join('\n').contains(QString::fromUtf8(c.note)))
          << c.what << ": " << notes.join('\n').toStdString();
    }
    for (const QString& f : m_reads.keys()) EXPECT_EQ(m_reads.value(f), 1) << c.what << ": " << f.toStdString();
  }
}

TEST_F(ProductTest, SuppressedSubAssemblyIsNotRead) {
  assembly("p/a.asm", {sub("SUB", 0, 1)});
  assembly("p/sub.asm", {part("BOLT", 5)});
  const bom::Product product = load("p/a.asm");
  EXPECT_EQ(reads("p/sub.asm"), 0);
  EXPECT_EQ(bom::treeRows(product, 0).size(), 2u);
}

TEST_F(ProductTest, UnreadableTopGivesOnlyItsRow) {
  broken("p/a.asm");
  const bom::Product product = load("p/a.asm");
  EXPECT_FALSE(product.topReadable());
  const auto rows = bom::treeRows(product, 0);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].status, Status::Unreadable);
  EXPECT_TRUE(bom::flatItems(product, 0).empty());
  EXPECT_TRUE(product.nodes.front().error.contains("damaged"));
}

}  // namespace
}  // namespace kelvaron::bomtest
