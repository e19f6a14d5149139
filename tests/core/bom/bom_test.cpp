// Bills of materials: files resolved by folder order and version, products
// loaded and totalled, project checks, where-used and diffs, and the tables,
// JSON and spreadsheets they are written as.

#include "bom/bomjson.h"
#include "bom/bomtables.h"
#include "bom/fileindex.h"
#include "bom/modeldiff.h"
#include "bom/productrows.h"
#include "bom/projectcheck.h"
#include "bom/table.h"
#include "bom/whereused.h"
#include "bom/xlsxtable.h"

#include "core/bom/bomfixture.h"

#include "common/workbookreader.h"

#include <QProcess>

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

class ProductTest : public BomTest {};

TEST_F(ProductTest, TotalsMultiplyAlongEveryPathAtEachDepth) {
  make(
      "p/top.asm.2: +SUB*2 BOLT*4 +DEEP; p/sub.asm: BOLT*3 NUT*2~1 +DEEP; p/deep.asm: NUT*5 BOLT; p/bolt.prt;"
      "p/nut.prt.3");
  const bom::Product product = bom::loadProduct(path("p/top.asm.2"), {}, loader());
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
    QStringList search;
    for (const QString& s : QString(c.search).split(u' ', Qt::SkipEmptyParts)) search << path(s);
    const bom::Product product = bom::loadProduct(path("p/a.asm"), search, loader());
    QStringList notes = product.notes;
    EXPECT_EQ(flat(bom::flatItems(product, 0, &notes)), c.flat) << c.what;
    const QString note = QString::fromUtf8(c.note).replace(u'$', path({}));
    EXPECT_TRUE(notes.join('\n').contains(note)) << c.what << ": " << notes.join('\n').toStdString();
    for (const QString& f : m_reads.keys()) EXPECT_EQ(m_reads.value(f), 1) << c.what << ": " << f.toStdString();
  }
}

// Each case: files (see make()), search roots (comma-separated), the name asked for from
// folder p, the file expected ("" for missing) and the other places noted (space-separated).
TEST_F(ProductTest, FilesResolveByFolderOrderAndHighestVersion) {
  struct Case {
    const char *what, *files, *roots, *name, *expected, *others;
  } cases[] = {
      {"highest version, numerically, case ignored", "p/bolt.prt;p/bolt.prt.9;p/BOLT.PRT.12", "", "bolt.prt",
       "p/BOLT.PRT.12", ""},
      // a file beside the assembly is no choice: nothing to note
      {"own folder before the search folders", "p/x.prt;s/x.prt.2", "s", "x.prt", "p/x.prt", ""},
      {"search folders in the order given", "s1/x.prt;s2/a/x.prt", "s2,s1", "x.prt", "s2/a/x.prt", "s1/x.prt"},
      {"a folder's files before its subfolders'", "s/a/x.prt;s/x.prt", "s", "x.prt", "s/x.prt", "s/a/x.prt"},
      {"a root inside an earlier root keeps the earlier place", "s/x.prt;s/a/x.prt", "s/a,s", "x.prt", "s/a/x.prt",
       "s/x.prt"},
      {"near names do not match", "p/bolt.prt.bak;p/xbolt.prt;p/bolt.prt0;p/bolt.prt.-1", "", "bolt.prt", "", ""},
#ifndef _WIN32
      // Windows drops a trailing dot as it makes the file: there it would be bolt.prt itself.
      {"a trailing dot is another name", "p/bolt.prt.", "", "bolt.prt", "", ""},
#endif
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
  // --latest?, jobs, the unused files, the files read.
  const std::tuple<bool, int, QString, int> cases[] = {
      {false, 1, "unused.prt unused.prt.2", 5},
      {true, 1, "lib/oldpart.prt unused.prt unused.prt.2", 4},
      {false, 4, "unused.prt unused.prt.2", 5},
  };
  for (const auto& [latest, jobs, unusedFiles, reads] : cases) {
    m_reads.clear();
    const bom::CheckResult r = bom::checkProject(scan(latest, jobs));
    QStringList unused = r.unused, missing;
    unused.sort();
    for (const auto& m : r.missing) missing << m.file + " <- " + rel(m.neededBy);
    QStringList got{missing.join(u','), r.unreadable.size() == 1 ? rel({r.unreadable[0].path}) : "?", rel(r.top),
                    rel(unused)};
    const QString neededBy = latest ? "top.asm" : "top.asm sub/sub.asm.1";
    EXPECT_EQ(got, QStringList({"gone.prt <- " + neededBy, "bad.asm", "top.asm top2.asm", unusedFiles}))
        << latest << " " << jobs;
    EXPECT_EQ(m_reads.size(), reads);
    for (const QString& f : m_reads.keys()) EXPECT_EQ(m_reads.value(f), 1) << f.toStdString();
  }
}

// Each expected use: "assembly quantity" or, followed up, "quantity path…".
TEST_F(ProjectTest, WhereUsedDirectAndUpToTheTops) {
  const std::tuple<QString, bool, QString> cases[] = {
      // the name, followed up?, the uses
      {"bolt", false, "top.asm 4, sub/sub.asm.1 1, sub/sub.asm.3 2"},
      {"Washer.PRT", false, "sub/sub.asm.3 1"},
      {"washer", true, "2 top.asm sub/sub.asm.3, 1 top2.asm sub/sub.asm.3"},
      // sub.asm.1 is an older version of a placed name: no product uses it
      {"BOLT", true, "4 top.asm, 4 top.asm sub/sub.asm.3, 2 top2.asm sub/sub.asm.3"},
      {"nothing", true, ""},
  };
  const bom::ProjectScan s = scan(false);
  for (const auto& [name, indirect, expected] : cases) {
    QStringList got;
    for (const bom::Usage& u : bom::whereUsed(s, name, indirect)) {
      EXPECT_EQ(u.assembly, indirect ? u.path.value(0) : u.assembly) << name.toStdString();
      got << (indirect ? QString::number(u.quantity) + u' ' + rel(u.path)
                       : rel({u.assembly}) + u' ' + QString::number(u.quantity));
    }
    EXPECT_EQ(got.join(QStringLiteral(", ")), expected) << name.toStdString();
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

bom::Table treeSample() {
  bom::Table t;
  t.headers = {"quantity", "name", "file"};
  t.indentColumn = 1;
  t.setRows({{std::int64_t{1}, QString("TOP"), QString("top.asm")},
             {std::int64_t{12}, QString("SUB"), QString("sub.asm")},
             {std::int64_t{3}, QString("BOLT, M4"), bom::Cell{}},
             {std::int64_t{100}, QString("NUT \"x\""), QString("a\nb")}},
            {0, 1, 2, 1});
  return t;
}

TEST(TableFormats, TextAndCsv) {
  // text: numbers right, names indented, empty as -, no trailing spaces
  EXPECT_EQ(bom::formatText(treeSample()),
            "quantity  name          file\n"
            "       1  TOP           top.asm\n"
            "      12    SUB         sub.asm\n"
            "       3      BOLT, M4  -\n"
            "     100    NUT \"x\"     a\\x0ab\n");
  // csv: level column, quoting, bare numbers, CRLF
  EXPECT_EQ(bom::formatCsv(treeSample()),
            "level,quantity,name,file\r\n"
            "0,1,TOP,top.asm\r\n"
            "1,12,SUB,sub.asm\r\n"
            "2,3,\"BOLT, M4\",\r\n"
            "1,100,\"NUT \"\"x\"\"\",a\\x0ab\r\n");
  bom::Table plain = treeSample();
  plain.levels.clear();
  EXPECT_TRUE(bom::formatCsv(plain).startsWith("quantity,name,file\r\n1,TOP,")) << "a plain table has no level column";
}

TEST_F(ProductTest, JsonTreeNestsChildrenAndFlatListsItems) {
  make("p/top.asm: +SUB*2 GONE; p/sub.asm: BOLT*3~1; p/bolt.prt");
  const bom::Product product = bom::loadProduct(path("p/top.asm"), {}, loader());
  const QString part = R"({"name":"%2","type":"part","file":%1,"status":"%4","quantity":%3,"suppressed":%5,"children":[]})";
  const QString bolt = part.arg("\"$/p/bolt.prt\"", "BOLT", "3", "ok", "1");
  const QString gone =
      R"({"name":"GONE","type":"part","file":null,"looked_for":"gone.prt","status":"missing","quantity":1,"suppressed":0,"children":[]})";
  const QString tree =
      R"({"assembly":"$/p/top.asm","root":{"name":"TOP","type":"assembly","file":"$/p/top.asm","status":"ok","quantity":1,"suppressed":0,"children":[)"
      R"({"name":"SUB","type":"assembly","file":"$/p/sub.asm","status":"ok","quantity":2,"suppressed":0,"children":[)" +
      bolt + "]}," + gone + R"(]},"notes":["n"]})";
  bom::BufferSink treeOut;
  bom::writeTreeJson(product, 0, {"n"}, treeOut);
  EXPECT_EQ(treeOut.bytes(), (QString(tree).replace(u'$', path("")) + u'\n').toUtf8());
  const QString item = R"({"name":"%2","type":"%6","quantity":%3,"suppressed":%5,"parents":1,"file":%1,"status":"%4"})";
  const QString flat =
      R"({"assembly":"$/p/top.asm","items":[)" + item.arg("\"$/p/bolt.prt\"", "BOLT", "6", "ok", "2", "part") + u',' +
      R"({"name":"GONE","type":"part","quantity":1,"suppressed":0,"parents":1,"file":null,"looked_for":"gone.prt","status":"missing"},)" +
      item.arg("\"$/p/sub.asm\"", "SUB", "2", "ok", "0", "assembly") + R"(],"notes":[]})";
  bom::BufferSink flatOut;
  bom::writeFlatJson(product, bom::flatItems(product, 0), {}, flatOut);
  EXPECT_EQ(flatOut.bytes(), (QString(flat).replace(u'$', path("")) + u'\n').toUtf8());
}

// Nothing is left where a spreadsheet cannot be written; one written reads back
// with outline levels, a frozen header, a filter and numbers as numbers.
TEST(Xlsx, WrittenWholeOrNotAtAll) {
  for (const char* target : {"no/such/folder/bom.xlsx", "taken"}) {  // "taken" is a folder
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("taken");
    QString error;
    EXPECT_FALSE(bom::writeXlsx(treeSample(), dir.filePath(target), &error)) << target;
    EXPECT_TRUE(error.startsWith("cannot write ")) << error.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"taken"}) << target;
  }
  if (const QString why = kelvaron::testing::workbookReaderMissing(); !why.isEmpty()) GTEST_SKIP() << why.toStdString();
  QTemporaryDir dir;
  const QString file = dir.filePath("bom.xlsx");
  QString error;
  ASSERT_TRUE(bom::writeXlsx(treeSample(), file, &error)) << error.toStdString();
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"bom.xlsx"}) << "no temporary file left";
  EXPECT_TRUE(QFileInfo(file).permissions() & QFileDevice::ReadOther) << "readable as any saved file";

  const char* script =
      "import openpyxl, sys\n"
      "ws = openpyxl.load_workbook(sys.argv[1]).active\n"
      "print(ws.freeze_panes, ws.auto_filter.ref)\n"
      "for r in range(1, ws.max_row + 1):\n"
      "    print(ws.row_dimensions[r].outline_level, '|'.join(repr(c.value) for c in ws[r]))\n"
      "print(ws.column_dimensions['C'].width >= len('BOLT, M4'))\n";
  QProcess p;
  p.start("/usr/bin/python3", {"-c", script, file});
  ASSERT_TRUE(p.waitForFinished(60000)) << "python did not finish";
  EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()),
            "A2 A1:D5\n"
            "0 'level'|'quantity'|'name'|'file'\n"
            "0 0|1|'TOP'|'top.asm'\n"
            "1 1|12|'SUB'|'sub.asm'\n"
            "2 2|3|'BOLT, M4'|None\n"
            "1 1|100|'NUT \"x\"'|'a\\nb'\n"
            "True\n")
      << p.readAllStandardError().toStdString();
}

}  // namespace
}  // namespace kelvaron::bomtest
