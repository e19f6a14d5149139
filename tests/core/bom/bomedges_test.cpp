// Bills of materials at the edges: cycles, suppressed counts along a path,
// old versions, skeleton models, reader notes, choices among folders, the
// walk-up budget, and what the printers do with hostile names.

#include "bom/bomjson.h"
#include "bom/bomtables.h"
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

class BomEdges : public BomTest {
 protected:
  bom::ProjectScan scanCase() { return bom::scanProject({path({})}, false, loader(), 2); }
};

// Each use as "quantity suppressed type path…", a trailing "cycle" where the
// walk up ended in one; and a fragment the notes must hold.
TEST_F(BomEdges, WhereUsedUpToTheTops) {
  struct Case {
    const char *what, *files, *name;
    bool indirect;
    const char *uses, *note;
  } cases[] = {
      {"a cycle above the user keeps the user and is named", "c.asm: +D; d.asm: +C X*2; x.prt", "x", true,
       "2 0 part c.asm d.asm cycle", "cycle: "},
      {"suppressed instances multiply along the path", "top.asm: +MID*3; mid.asm: +SUB*5; sub.asm: BOLT*2~1", "bolt",
       true, "30 15 part top.asm mid.asm sub.asm", ""},
      {"an older version of a placed name is no top", "x.asm.1: BOLT; x.asm.10: NUT; top.asm: +X; bolt.prt; nut.prt",
       "bolt", true, "", ""},
      {"the newest version leads up", "x.asm.1: BOLT; x.asm.10: BOLT*2; top.asm: +X*3", "bolt", true,
       "6 0 part top.asm x.asm.10", ""},
      {"a part and an assembly of one name are told apart", "a.asm: X*2 +X*0~1; x.prt; x.asm", "X", false,
       "2 0 part a.asm, 0 1 assembly a.asm", ""},
  };
  int n = 0;
  for (const Case& c : cases) {
    startCase(QStringLiteral("case%1").arg(n++));
    make(c.files);
    QStringList notes;
    QStringList got;
    for (const bom::Usage& u : bom::whereUsed(scanCase(), c.name, c.indirect, &notes))
      got << QStringLiteral("%1 %2 %3 %4%5")
                 .arg(u.quantity)
                 .arg(u.suppressed)
                 .arg(u.type, c.indirect ? rel(u.path) : rel({u.assembly}), u.cycle ? " cycle" : "");
    EXPECT_EQ(got.join(QStringLiteral(", ")).toStdString(), c.uses) << c.what;
    EXPECT_TRUE(notes.join('\n').contains(c.note)) << c.what << ": " << notes.join('\n').toStdString();
  }
}

// 30 levels of two assemblies that each place both of the next level, the
// last placing the first: 2^30 paths up, none reaching a top.
TEST_F(BomEdges, WhereUsedOnADiamondClosedByACycleStopsAtItsBudget) {
  startCase("diamond");
  QStringList files;
  for (int level = 0; level < 30; ++level) {
    const QString next = level == 29 ? QStringLiteral("+A0 +B0") : QStringLiteral("+A%1 +B%1").arg(level + 1);
    files << QStringLiteral("a%1.asm: %2").arg(level).arg(next) << QStringLiteral("b%1.asm: %2").arg(level).arg(next);
  }
  files << "a29.asm: +A0 BOLT";
  make(files.join(u';'));
  QStringList notes;
  const auto uses = bom::whereUsed(scanCase(), "bolt", true, &notes);
  EXPECT_LE(uses.size(), bom::kMaxUsagePaths);
  const QString said = notes.join('\n');
  EXPECT_TRUE(said.contains("cut after") || said.contains("the rest not listed")) << said.toStdString();
  EXPECT_TRUE(said.contains("cycle: ")) << said.toStdString();
}

TEST_F(BomEdges, CheckNamesCyclesAndLeavesSkeletonsOutOfMissing) {
  startCase("check");
  make("top.asm: +C LAYOUT*0!SKEL_MODEL; c.asm: +D; d.asm: +C; other.asm: BOLT");
  const bom::CheckResult r = bom::checkProject(scanCase());
  ASSERT_EQ(r.cycles.size(), 1u);
  EXPECT_EQ(rel(r.cycles[0]), "c.asm d.asm c.asm");
  EXPECT_FALSE(r.clean());
  QStringList missing;
  for (const auto& m : r.missing) missing << m.file;
  EXPECT_EQ(missing, QStringList{"bolt.prt"}) << "a skeleton model is not a missing part";
  EXPECT_EQ(rel(r.top).toStdString(), "other.asm top.asm");
}

TEST_F(BomEdges, ProductNotesShortfallAndSkeletons) {
  startCase("p");
  make("p/a.asm: +SUB BOLT*2 LAYOUT*0!SKEL_MODEL GONE +LOOP; p/sub.asm: X; p/loop.asm: +LOOP; p/bolt.prt;"
       "s1/x.prt; s2/x.prt; s3/x.prt; p/q/b.asm: X");
  m_models[path("p/sub.asm")].notes << "PRT0002 is stored inside the assembly, not listed";
  const bom::Product product = bom::loadProduct(path("p/a.asm"), {path("s1"), path("s2"), path("s3")}, loader());
  const QString notes = product.notes.join('\n');
  EXPECT_TRUE(notes.contains(path("p/sub.asm") + ": PRT0002 is stored inside")) << notes.toStdString();
  EXPECT_TRUE(notes.contains("x.prt: using " + path("s1/x.prt") + ", also found as " + path("s2/x.prt") +
                             " and in 1 more folders"))
      << notes.toStdString();
  EXPECT_EQ(bom::shortfallOf(product).text(), "1 missing, 1 cycle");

  QStringList rows;
  bom::forEachTreeRow(product, 0, [&](const bom::TreeRow& r) {
    rows << QStringLiteral("%1%2:%3:%4").arg(r.level).arg(r.name, r.skeleton ? "skeleton" : reader::typeName(r.type),
                                                          r.path.isEmpty() ? r.file : QStringLiteral("found"));
    return true;
  });
  EXPECT_EQ(rows.join(u' '),
            "0A:assembly:found 1SUB:assembly:found 2X:part:found 1BOLT:part:found 1LAYOUT:skeleton:layout.prt "
            "1GONE:part:gone.prt 1LOOP:assembly:found 2LOOP:assembly:found");
  QStringList flat;
  for (const bom::FlatItem& i : bom::flatItems(product, 0)) flat << i.name;
  EXPECT_EQ(flat.join(u' '), "BOLT GONE LOOP SUB X") << "a skeleton is in no total";
}

// A cut by --depth was said on standard error only: text, CSV and Excel
// must carry it after the rows, for the tree and for the totals.
TEST_F(BomEdges, ACutTreeSaysSoInTheOutput) {
  startCase("p");
  make("p/a.asm: +SUB; p/sub.asm: +DEEP; p/deep.asm: BOLT");
  const bom::Product product = bom::loadProduct(path("p/a.asm"), {}, loader());
  EXPECT_TRUE(bom::treeTable(product, 0).notes.isEmpty());
  const QByteArray text = bom::formatText(bom::treeTable(product, 1));
  EXPECT_TRUE(text.endsWith("note: only 1 levels below the top are shown; the assemblies at level 1 have more\n"))
      << text.toStdString();
  // A CSV note is a record as wide as the rows: the level and six columns.
  const QByteArray csv = bom::formatCsv(bom::treeTable(product, 1));
  EXPECT_TRUE(csv.endsWith("\r\nnote: only 1 levels below the top are shown; the assemblies at level 1 have more,,,,,,\r\n"))
      << csv.toStdString();
  // The totals: cut where an assembly at the last level counted has components.
  for (const auto& [depth, said] : {std::pair{1, true}, std::pair{2, true}, std::pair{3, false}, std::pair{0, false}}) {
    QStringList cut;
    bom::flatItems(product, depth, nullptr, &cut);
    EXPECT_EQ(cut.join(u' ').contains(QStringLiteral("only %1 levels below the top are counted").arg(depth)), said)
        << depth << ": " << cut.join(u' ').toStdString();
  }
  if (const QString why = kelvaron::testing::workbookReaderMissing(); !why.isEmpty()) GTEST_SKIP() << why.toStdString();
  QString error;
  ASSERT_TRUE(bom::writeXlsx(bom::treeTable(product, 1), path("bom.xlsx"), &error)) << error.toStdString();
  QProcess p;
  p.start("/usr/bin/python3", {"-c",
                               "import openpyxl, sys\n"
                               "ws = openpyxl.load_workbook(sys.argv[1]).active\n"
                               "print(ws.max_row, ws.cell(ws.max_row, 1).value, ws.auto_filter.ref)\n",
                               path("bom.xlsx")});
  ASSERT_TRUE(p.waitForFinished(60000));
  // Two rows and the header, an empty row, the note; the filter keeps to the rows.
  EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()),
            "5 note: only 1 levels below the top are shown; the assemblies at level 1 have more A1:G3\n");
}

// A sink that sees how the bytes arrive.
struct CountingSink final : bom::ByteSink {
  std::size_t writes = 0, largest = 0, total = 0;
  void write(std::string_view bytes) override {
    ++writes;
    largest = std::max(largest, bytes.size());
    total += bytes.size();
  }
};

TEST_F(BomEdges, BigOutputsGoOutInPiecesAsTheyAreMade) {
  startCase("p");
  // 40 + 40 * 40 + 40 * 40 * 40 rows from 81 small files.
  const auto words = [](const char* prefix) {
    QStringList w;
    for (int i = 0; i < 40; ++i) w << QStringLiteral("%1%2").arg(prefix).arg(i);
    return w.join(u' ');
  };
  QStringList files{"p/a.asm: " + words("+B")};
  for (int i = 0; i < 40; ++i) {
    files << QStringLiteral("p/b%1.asm: ").arg(i) + words("+C");
    files << QStringLiteral("p/c%1.asm: ").arg(i) + words("PART_");
  }
  make(files.join(u';'));
  const bom::Product product = bom::loadProduct(path("p/a.asm"), {}, loader());
  for (const char* format : {"json", "text", "csv"}) {
    CountingSink sink;
    if (QByteArray(format) == "json")
      bom::writeTreeJson(product, 0, {}, sink);
    else if (QByteArray(format) == "text")
      bom::printText(bom::treeTable(product, 0), sink);
    else
      bom::printCsv(bom::treeTable(product, 0), sink);
    EXPECT_GT(sink.total, std::size_t{2} << 20) << format;
    EXPECT_LT(sink.largest, std::size_t{128} << 10) << format << ": written in pieces, not held whole";
  }
}

TEST(BomPrinters, HostileNamesAreEscapedAndFormulasDefused) {
  // A name, its text cell, its CSV field.
  const std::tuple<QString, QByteArray, QByteArray> cases[] = {
      {"\x1b]0;owned\x07", "\\x1b]0;owned\\x07", "\\x1b]0;owned\\x07"},
      {"A\nFAKE_LINE", "A\\x0aFAKE_LINE", "A\\x0aFAKE_LINE"},
      {"CR\rhere", "CR\\x0dhere", "CR\\x0dhere"},
      {"=cmd|' /C calc'!A0", "=cmd|' /C calc'!A0", "'=cmd|' /C calc'!A0"},
      {"+1", "+1", "'+1"},
      {"-2+3", "-2+3", "'-2+3"},
      {"@SUM(A1)", "@SUM(A1)", "'@SUM(A1)"},
      {"=1,2", "=1,2", "\"'=1,2\""},
      {"a-b=c", "a-b=c", "a-b=c"},
      {QString::fromUtf8("PI\xc3\x88" "CE\xc2\x9b"), "PI\xc3\x88" "CE\\x9b", "PI\xc3\x88" "CE\\x9b"},
  };
  for (const auto& [name, text, csv] : cases) {
    bom::Table t;
    t.headers = {"name", "n"};
    t.setRows({{name, std::int64_t{-1}}});
    const QList<QByteArray> lines = bom::formatText(t).split('\n');
    EXPECT_EQ(lines.size(), 3) << name.toStdString() << ": the header, one row, the end";
    EXPECT_EQ(lines.value(1).left(text.size()), text) << name.toStdString();
    EXPECT_EQ(bom::formatCsv(t), "name,n\r\n" + csv + ",-1\r\n") << name.toStdString();
  }
}

TEST(BomPrinters, OneLongNameDoesNotWidenEveryLine) {
  bom::Table t;
  t.headers = {"name", "file"};
  std::vector<std::vector<bom::Cell>> rows;
  for (int i = 0; i < 1000; ++i) rows.push_back({QStringLiteral("P%1").arg(i), QStringLiteral("p.prt")});
  rows.push_back({QString(100000, u'N'), QStringLiteral("n.prt")});
  t.setRows(std::move(rows));
  const QByteArray text = bom::formatText(t);
  EXPECT_LT(text.size(), 1000 * (bom::kMaxTextColumn + 10) + 100000 + 100);
  EXPECT_TRUE(text.contains(QByteArray(100000, 'N') + "  n.prt\n")) << "the long name is written whole";
}

}  // namespace
}  // namespace kelvaron::bomtest
