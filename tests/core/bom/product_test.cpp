#include "bom/fileindex.h"
#include "bom/productrows.h"

#include "core/bom/bomfixture.h"

namespace kelvaron::bomtest {
namespace {

// The flat list as "NAME quantity suppressed parents status" items, in its order (by name).
QString flat(const std::vector<bom::FlatItem>& items) {
  QStringList out;
  for (const bom::FlatItem& i : items)
    out << QStringList{i.name, QString::number(i.quantity), QString::number(i.suppressed), QString::number(i.parents),
                       bom::statusName(i.status)}
               .join(u' ');
  return out.join(QStringLiteral(", "));
}

class ProductTest : public BomTest {
 protected:
  bom::Product load(const QString& top, const QStringList& search = {}) {
    QStringList dirs;
    for (const QString& s : search) dirs << path(s);
    return bom::loadProduct(path(top), dirs, loader());
  }
};

TEST_F(ProductTest, TotalsMultiplyAlongEveryPathAtEachDepth) {
  make(
      "p/top.asm.2: +SUB*2 BOLT*4 +DEEP; p/sub.asm: BOLT*3 NUT*2~1 +DEEP; p/deep.asm: NUT*5 BOLT; p/bolt.prt;"
      "p/nut.prt.3");
  const bom::Product product = load("p/top.asm.2");
  // BOLT: 4 + 2*3 + (2 + 1)*1; NUT: 2*2 + (2 + 1)*5, suppressed 2*1; DEEP: 2*1 + 1.
  EXPECT_EQ(flat(bom::flatItems(product, 0)), "BOLT 13 0 3 ok, DEEP 3 0 2 ok, NUT 19 2 2 ok, SUB 2 0 1 ok");
  EXPECT_EQ(flat(bom::flatItems(product, 1)), "BOLT 4 0 1 ok, DEEP 1 0 1 ok, SUB 2 0 1 ok");
  EXPECT_EQ(flat(bom::flatItems(product, 2)), "BOLT 11 0 3 ok, DEEP 3 0 2 ok, NUT 9 2 2 ok, SUB 2 0 1 ok");
  QStringList rows;
  for (const bom::TreeRow& r : bom::treeRows(product, 0)) rows << QString::number(r.level) + r.name;
  EXPECT_EQ(rows.join(u' '), "0TOP 1SUB 2BOLT 2NUT 2DEEP 3NUT 3BOLT 1BOLT 1DEEP 2NUT 2BOLT");
  EXPECT_EQ(bom::treeRows(product, 1).size(), 4u);
  EXPECT_EQ(m_reads.value(path("p/deep.asm")), 1) << "a shared sub-assembly is read once";
  EXPECT_TRUE(product.notes.isEmpty()) << product.notes.join('\n').toStdString();
}

TEST_F(ProductTest, ProblemsAreMarkedAndTheRestIsDone) {
  struct Case {
    const char *what, *files, *search, *flat;
    const char* note;  // a fragment one note must hold ($: the case's folder), or ""
  } cases[] = {
      {"a cycle is cut where it closes", "p/a.asm: +B P; p/b.asm: +A*2 P*3; p/p.prt", "",
       "A 2 0 1 cycle, B 1 0 1 ok, P 4 0 2 ok", "contains itself"},
      {"the same name in two folders: the first search folder wins", "p/a.asm: X*2; s1/x.prt; s2/deep/x.prt.3", "s2 s1",
       "X 2 0 1 ok", "x.prt: using $/s2/deep/x.prt.3, also found as $/s1/x.prt"},
      {"one name, two files: each parent's own folder first", "p/a.asm: +SUB X; q/sub.asm: X*2; p/x.prt; q/x.prt", "q",
       "SUB 1 0 1 ok, X 3 0 2 ok", "placed as"},
      {"family-table instances resolve to their generic's file",
       "p/a.asm: ISO4762_M4X10*10<ISO4762 ISO4762_M5X10*2<ISO4762; p/iso4762.prt", "",
       "ISO4762_M4X10 10 0 1 ok, ISO4762_M5X10 2 0 1 ok", ""},
      {"a suppressed sub-assembly is not expanded",
       "p/a.asm: +SUB*0~2 +OTHER; p/sub.asm: BOLT*5; p/other.asm: BOLT~1; p/bolt.prt", "",
       "BOLT 1 1 1 ok, OTHER 1 0 1 ok, SUB 0 2 1 ok", ""},
      {"NAME.asm next to NAME.asm.7: the version is read", "p/a.asm: +SUB; p/sub.asm: OLD; p/sub.asm.7: NEW", "",
       "NEW 1 0 1 missing, SUB 1 0 1 ok", ""},
      {"an unreadable sub-assembly", "p/a.asm: +BAD*2 +SUB GOOD; p/sub.asm: +BAD GOOD*3; p/bad.asm; p/good.prt", "",
       "BAD 3 0 2 unreadable, GOOD 4 0 2 ok, SUB 1 0 1 ok", ""},
      {"an unreadable top gives nothing", "p/a.asm", "", "", ""},
      {"found for one parent, missing for another: missing", "p/a.asm: X +SUB; q/sub.asm: X; p/x.prt", "q",
       "SUB 1 0 1 ok, X 2 0 2 missing", ""},
      {"a part and an assembly of one name are two items", "p/a.asm: +X X; p/x.asm: Y; p/x.prt", "",
       "X 1 0 1 ok, X 1 0 1 ok, Y 1 0 1 missing", ""},
  };
  int n = 0;
  for (const Case& c : cases) {
    startCase(QStringLiteral("case%1").arg(n++));  // none sees another's files
    make(c.files);
    const bom::Product product = load("p/a.asm", QString(c.search).split(u' ', Qt::SkipEmptyParts));
    QStringList notes = product.notes;
    EXPECT_EQ(flat(bom::flatItems(product, 0, &notes)), c.flat) << c.what;
    const QString note = QString::fromUtf8(c.note).replace(u'$', path({}));
    EXPECT_TRUE(notes.join('\n').contains(note)) << c.what << ": " << notes.join('\n').toStdString();
    for (const QString& f : m_reads.keys()) EXPECT_EQ(m_reads.value(f), 1) << c.what << ": " << f.toStdString();
  }
}

class FileIndexTest : public BomTest {};

// Each case: files (see make()), search roots (comma-separated), the name asked for from
// folder p, the file expected ("" for missing) and the other places noted (space-separated).
TEST_F(FileIndexTest, ResolvesByFolderOrderAndHighestVersion) {
  struct Case {
    const char *what, *files, *roots, *name, *expected, *others;
  } cases[] = {
      {"highest version, numerically, case ignored", "p/bolt.prt;p/bolt.prt.9;p/BOLT.PRT.12", "", "bolt.prt",
       "p/BOLT.PRT.12", ""},
      {"own folder before the search folders", "p/x.prt;s/x.prt.2", "s", "x.prt", "p/x.prt", "s/x.prt.2"},
      {"search folders in the order given", "s1/x.prt;s2/a/x.prt", "s2,s1", "x.prt", "s2/a/x.prt", "s1/x.prt"},
      {"a folder's files before its subfolders'", "s/a/x.prt;s/x.prt", "s", "x.prt", "s/x.prt", "s/a/x.prt"},
      {"a root inside an earlier root keeps the earlier place", "s/x.prt;s/a/x.prt", "s/a,s", "x.prt", "s/a/x.prt",
       "s/x.prt"},
      {"near names do not match", "p/bolt.prt.bak;p/xbolt.prt;p/bolt.prt0;p/bolt.prt.-1;p/bolt.prt.", "", "bolt.prt",
       "", ""},
      {"a version needs an extension before it", "p/readme.3", "", "readme", "", ""},
      {"an assembly's name is not its part's", "p/drill.asm", "", "drill.prt", "", ""},
      {"foreign file, spaces and case", "p/Top Base.SLDPRT", "", "top base.SLDPRT", "p/Top Base.SLDPRT", ""},
      {"files outside the roots are not searched", "q/x.prt", "s", "x.prt", "", ""},
  };
  int n = 0;
  for (const Case& c : cases) {
    startCase(QStringLiteral("case%1").arg(n++));
    QDir().mkpath(path("p"));
    make(c.files);
    QStringList roots;
    for (const QString& r : QString(c.roots).split(u',', Qt::SkipEmptyParts)) roots << path(r);
    bom::FileIndex index(roots);
    index.addFolder(path("p"));
    index.addFolder(path("q"));  // another assembly's folder outside the roots
    const bom::Resolution r = index.resolve(QString::fromUtf8(c.name), path("p"));
    EXPECT_EQ(rel(QStringList(r.path).filter(u"/")), c.expected) << c.what;
    EXPECT_EQ(rel(r.others), c.others) << c.what;
  }
}

}  // namespace
}  // namespace kelvaron::bomtest
