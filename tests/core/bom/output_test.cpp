#include "bom/bomjson.h"
#include "bom/bomtables.h"
#include "bom/table.h"
#include "bom/xlsxtable.h"

#include "core/bom/bomfixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace kelvaron::bomtest {
namespace {

bom::Table treeSample() {
  bom::Table t;
  t.headers = {"quantity", "name", "file"};
  t.indentColumn = 1;
  t.rows = {{std::int64_t{1}, QString("TOP"), QString("top.asm")},
            {std::int64_t{12}, QString("SUB"), QString("sub.asm")},
            {std::int64_t{3}, QString("BOLT, M4"), bom::Cell{}},
            {std::int64_t{100}, QString("NUT \"x\""), QString("a\nb")}};
  t.levels = {0, 1, 2, 1};
  return t;
}

TEST(TableFormats, TextAndCsv) {
  // text: numbers right, names indented, empty as -, no trailing spaces
  EXPECT_EQ(bom::formatText(treeSample()),
            "quantity  name          file\n"
            "       1  TOP           top.asm\n"
            "      12    SUB         sub.asm\n"
            "       3      BOLT, M4  -\n"
            "     100    NUT \"x\"     a\nb\n");
  // csv: level column, quoting, bare numbers, CRLF
  EXPECT_EQ(bom::formatCsv(treeSample()),
            "level,quantity,name,file\r\n"
            "0,1,TOP,top.asm\r\n"
            "1,12,SUB,sub.asm\r\n"
            "2,3,\"BOLT, M4\",\r\n"
            "1,100,\"NUT \"\"x\"\"\",\"a\nb\"\r\n");
  bom::Table plain = treeSample();
  plain.levels.clear();
  EXPECT_TRUE(bom::formatCsv(plain).startsWith("quantity,name,file\r\n1,TOP,")) << "a plain table has no level column";
}

class JsonTest : public BomTest {};

TEST_F(JsonTest, TreeNestsChildrenAndFlatListsItems) {
  make("p/top.asm: +SUB*2 GONE; p/sub.asm: BOLT*3~1; p/bolt.prt");
  const bom::Product product = bom::loadProduct(path("p/top.asm"), {}, loader());
  const QString part =
      R"({"children":[],"file":%1,"name":"%2","quantity":%3,"status":"%4","suppressed":%5,"type":"part"})";
  const QString bolt = part.arg("\"$/p/bolt.prt\"", "BOLT", "3", "ok", "1");
  const QString gone = part.arg("null", "GONE", "1", "missing", "0");
  const QString tree =
      R"({"assembly":"$/p/top.asm","root":{"children":[{"children":[)" + bolt +
      R"(],"file":"$/p/sub.asm","name":"SUB","quantity":2,"status":"ok","suppressed":0,"type":"assembly"},)" + gone +
      R"(],"file":"$/p/top.asm","name":"TOP","quantity":1,"status":"ok","suppressed":0,"type":"assembly"}})";
  EXPECT_EQ(bom::treeJson(product, bom::treeRows(product, 0)),
            (QString(tree).replace(u'$', path("")) + u'\n').toUtf8());
  const QString item = R"({"file":%1,"name":"%2","parents":1,"quantity":%3,"status":"%4","suppressed":%5,"type":"%6"})";
  const QString flat = R"({"assembly":"$/p/top.asm","items":[)" +
                       item.arg("\"$/p/bolt.prt\"", "BOLT", "6", "ok", "2", "part") + u',' +
                       item.arg("null", "GONE", "1", "missing", "0", "part") + u',' +
                       item.arg("\"$/p/sub.asm\"", "SUB", "2", "ok", "0", "assembly") + "]}";
  EXPECT_EQ(bom::flatJson(product, bom::flatItems(product, 0)),
            (QString(flat).replace(u'$', path("")) + u'\n').toUtf8());
}

TEST(Xlsx, ReadBackHasOutlineLevelsFrozenHeaderFilterAndNumbers) {
  QProcess probe;
  probe.start("/usr/bin/python3", {"-c", "import openpyxl"});
  if (!probe.waitForFinished(30000) || probe.exitCode() != 0)
    GTEST_SKIP() << "/usr/bin/python3 with openpyxl (Debian python3-openpyxl) is not installed";
  QTemporaryDir dir;
  const QString file = dir.filePath("bom.xlsx");
  QString error;
  ASSERT_TRUE(bom::writeXlsx(treeSample(), file, &error)) << error.toStdString();
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"bom.xlsx"}) << "no temporary file left";

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

TEST(Xlsx, UnwritableTargetLeavesNothing) {
  for (const char* target : {"no/such/folder/bom.xlsx", "taken"}) {  // "taken" is a folder
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("taken");
    QString error;
    EXPECT_FALSE(bom::writeXlsx(treeSample(), dir.filePath(target), &error)) << target;
    EXPECT_TRUE(error.startsWith("cannot write ")) << error.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"taken"}) << target;
  }
}

}  // namespace
}  // namespace kelvaron::bomtest
