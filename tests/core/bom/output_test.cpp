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
  struct Case {
    const char* what;
    QByteArray (*format)(const bom::Table&);
    QByteArray expected;
  } cases[] = {
      {"text: numbers right, names indented, empty as -, no trailing spaces", bom::formatText,
       "quantity  name          file\n"
       "       1  TOP           top.asm\n"
       "      12    SUB         sub.asm\n"
       "       3      BOLT, M4  -\n"
       "     100    NUT \"x\"     a\nb\n"},
      {"csv: level column, quoting, bare numbers, CRLF", bom::formatCsv,
       "level,quantity,name,file\r\n"
       "0,1,TOP,top.asm\r\n"
       "1,12,SUB,sub.asm\r\n"
       "2,3,\"BOLT, M4\",\r\n"
       "1,100,\"NUT \"\"x\"\"\",\"a\nb\"\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.format(treeSample()), c.expected) << c.what;

  bom::Table plain = treeSample();
  plain.levels.clear();
  EXPECT_TRUE(bom::formatCsv(plain).startsWith("quantity,name,file\r\n1,TOP,")) << "a plain table has no level column";
}

class JsonTest : public BomTest {};

TEST_F(JsonTest, TreeNestsChildrenAndFlatListsItems) {
  assembly("p/top.asm", {sub("SUB", 2), part("GONE")});
  assembly("p/sub.asm", {part("BOLT", 3, 1)});
  touch("p/bolt.prt");
  const bom::Product product = bom::loadProduct(path("p/top.asm"), {}, loader());

  const QJsonObject tree = QJsonDocument::fromJson(bom::treeJson(product, bom::treeRows(product, 0))).object();
  EXPECT_EQ(tree["assembly"].toString(), path("p/top.asm"));
  const QJsonObject root = tree["root"].toObject();
  EXPECT_EQ(root["name"].toString(), "TOP");
  const QJsonArray children = root["children"].toArray();
  ASSERT_EQ(children.size(), 2);
  const QJsonObject subNode = children[0].toObject();
  EXPECT_EQ(subNode["quantity"].toInteger(), 2);
  EXPECT_EQ(subNode["type"].toString(), "assembly");
  const QJsonObject bolt = subNode["children"].toArray()[0].toObject();
  EXPECT_EQ(bolt["name"].toString(), "BOLT");
  EXPECT_EQ(bolt["suppressed"].toInteger(), 1);
  EXPECT_EQ(bolt["file"].toString(), path("p/bolt.prt"));
  EXPECT_TRUE(bolt["children"].toArray().isEmpty());
  EXPECT_TRUE(children[1].toObject()["file"].isNull());
  EXPECT_EQ(children[1].toObject()["status"].toString(), "missing");

  const QJsonObject flat = QJsonDocument::fromJson(bom::flatJson(product, bom::flatItems(product, 0))).object();
  const QJsonArray items = flat["items"].toArray();
  ASSERT_EQ(items.size(), 3);
  const QJsonObject first = items[0].toObject();  // sorted by name: BOLT, GONE, SUB
  EXPECT_EQ(first.keys(), QStringList({"file", "name", "parents", "quantity", "status", "suppressed", "type"}));
  EXPECT_EQ(first["quantity"].toInteger(), 6);
  EXPECT_EQ(first["suppressed"].toInteger(), 2);
}

// A python3 that has openpyxl, or empty.
QString pythonWithOpenpyxl() {
  for (const QString& candidate : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
    QProcess p;
    p.start(candidate, {"-c", "import openpyxl"});
    if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0) return candidate;
  }
  return {};
}

TEST(Xlsx, ReadBackHasOutlineLevelsFrozenHeaderFilterAndNumbers) {
  const QString python = pythonWithOpenpyxl();
  if (python.isEmpty()) GTEST_SKIP() << "python3 with openpyxl (Debian python3-openpyxl) is not installed";
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
  p.start(python, {"-c", script, file});
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
  QTemporaryDir dir;
  QString error;
  EXPECT_FALSE(bom::writeXlsx(treeSample(), dir.filePath("no/such/folder/bom.xlsx"), &error));
  EXPECT_TRUE(error.startsWith("cannot write ")) << error.toStdString();
  EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

}  // namespace
}  // namespace kelvaron::bomtest
