// Part data as bill-of-materials columns: which cell each kind of value
// becomes, that each file is read once, and that the JSON fields land on the
// node or item of their row.

#include "bom/jsonwriter.h"
#include "bom/partcolumns.h"
#include "bom/xlsxtable.h"

#include <QDir>
#include <QJsonDocument>
#include "common/workbookreader.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

namespace kelvaron::bomtest {
namespace {

using reader::Parameter;
using reader::ParameterType;

// Files in memory: "hub" with every kind of value, "plain" with none, "bad" unreadable.
struct Files {
  std::map<QString, int> reads;
  bom::PartDataLoader loader() {
    return [this](const QString& path, unsigned items) {
      ++reads[path];
      reader::FileModelData r;
      if (path == "bad") {
        r.error = "cannot read bad: damaged";
        return r;
      }
      if (path == "hub") {
        r.data.parameters = {Parameter{"Description", ParameterType::String, QString("HUB, 3\""), {}, {}, {}},
                             Parameter{"COUNT", ParameterType::Integer, std::int64_t{12}, {}, {}, {}},
                             Parameter{"LENGTH", ParameterType::Real, 0.1, {}, {}, {}},
                             Parameter{"WIDTH", ParameterType::Real, {}, {}, {}, {}},
                             Parameter{"CTY", ParameterType::Boolean, true, {}, {}, {}}};
        if (items & reader::ReadMaterial) r.data.material = "AL6061";
        if (items & reader::ReadMass) r.data.mass = reader::MassProperties{"parameters", {}, 2.5, {}, 0.75};
      }
      return r;
    };
  }
};

TEST(PartColumns, CellsOfEveryKindEachFileReadOnce) {
  Files files;
  bom::PartDataCache cache({{"description", "count", "length", "width", "cty", "absent"}, true, true},
                           files.loader());
  bom::Table table;
  table.headers = QStringList{"name"} + bom::partHeaders(cache.columns());
  for (const QString p : {"hub", "plain", "", "bad", "hub"}) {
    table.rows.push_back({p.isEmpty() ? QString("missing") : p});
    bom::appendPartCells(table.rows.back(), p, cache);
  }
  EXPECT_EQ(table.headers, QStringList({"name", "description", "count", "length", "width", "cty", "absent", "material",
                                        "mass", "volume"}));
  EXPECT_EQ(QString::fromUtf8(bom::formatCsv(table)),
            "name,description,count,length,width,cty,absent,material,mass,volume\r\n"
            "hub,\"HUB, 3\"\"\",12,0.1,,true,,AL6061,0.75,2.5\r\n"
            "plain,,,,,,,,,\r\n"
            "missing,,,,,,,,,\r\n"
            "bad,,,,,,,,,\r\n"
            "hub,\"HUB, 3\"\"\",12,0.1,,true,,AL6061,0.75,2.5\r\n");
  // Counts and measures are numbers: right-aligned in text, numbers in Excel.
  EXPECT_TRUE(std::holds_alternative<double>(table.rows[0][3]));
  EXPECT_TRUE(std::holds_alternative<std::int64_t>(table.rows[0][2]));
  EXPECT_EQ(files.reads, (std::map<QString, int>{{"hub", 1}, {"plain", 1}, {"bad", 1}}));
  // Only the items asked for are read.
  Files few;
  bom::PartDataCache parameters({{"COUNT"}, false, false}, few.loader());
  std::vector<bom::Cell> row;
  bom::appendPartCells(row, "hub", parameters);
  EXPECT_EQ(row, std::vector<bom::Cell>{bom::Cell(std::int64_t{12})});
  EXPECT_FALSE(parameters.get("hub")->material.has_value());
}

// Each row's object gets its file's fields: values typed, null where lacking,
// a parameter's name encoded as any string.
TEST(PartColumns, JsonFieldsOfEachRow) {
  Files files;
  bom::PartDataCache cache({{"DESCRIPTION", "CTY", "A\"B"}, true, true}, files.loader());
  bom::BufferSink sink;
  {
    bom::JsonWriter json(sink);
    json.beginArray();
    for (const QString p : {"hub", "", "bad"}) {
      json.beginObject();
      json.key("name");
      json.value(p);
      bom::writePartFields(json, p, cache);
      json.endObject();
    }
    json.endArray();
    json.endDocument();
  }
  EXPECT_EQ(sink.bytes(),
            R"([{"name":"hub","parameters":{"DESCRIPTION":"HUB, 3\"","CTY":true,"A\"B":null},)"
            R"("material":"AL6061","mass":{"mass":0.75,"volume":2.5}},)"
            R"({"name":"","parameters":{"DESCRIPTION":null,"CTY":null,"A\"B":null},"material":null,"mass":null},)"
            R"({"name":"bad","parameters":{"DESCRIPTION":null,"CTY":null,"A\"B":null},"material":null,"mass":null}])"
            "\n");
  EXPECT_EQ(files.reads, (std::map<QString, int>{{"hub", 1}, {"bad", 1}}));
}

// Reals are numbers in the workbook, as counts are.
TEST(PartColumns, RealsAreNumbersInExcel) {
  if (const QString why = kelvaron::testing::workbookReaderMissing(); !why.isEmpty()) GTEST_SKIP() << why.toStdString();
  bom::Table table;
  table.headers = {"name", "mass"};
  table.rows = {{QString("HUB"), 0.0220832}, {QString("NUT"), bom::Cell()}};
  QTemporaryDir dir;
  QString error;
  ASSERT_TRUE(bom::writeXlsx(table, dir.filePath("bom.xlsx"), &error)) << error.toStdString();
  QProcess p;
  p.start("/usr/bin/python3", {"-c",
                               "import openpyxl, sys\n"
                               "ws = openpyxl.load_workbook(sys.argv[1]).active\n"
                               "print(' '.join(repr(c.value) for c in ws['B']))\n",
                               dir.filePath("bom.xlsx")});
  ASSERT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()), "'mass' 0.0220832 None\n");
}

}  // namespace
}  // namespace kelvaron::bomtest
