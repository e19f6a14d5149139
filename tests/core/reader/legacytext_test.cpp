#include "reader/legacytext.h"

#include "analysis/componentscan.h"
#include "core/reader/corpus.h"
#include "reader/bytesource.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvaron::reader {
namespace {

using test::corpusDir;
using test::modelLines;

std::int64_t afterHeader(const QByteArray& file) {
  const QByteArray end = "#-END_OF_UGC_HEADER\n";
  const qsizetype at = file.indexOf(end);
  return at < 0 ? 0 : at + end.size();
}

// The base (banner) offset of the header, -1 before Release 18.
std::int64_t bannerBase(const QByteArray& file) {
  const QList<QByteArray> first = file.left(file.indexOf('\n')).split(' ');
  bool ok = false;
  const std::int64_t base = first.size() > 10 && first.at(10).size() == 8 ? first.at(10).toLongLong(&ok, 16) : -1;
  return ok ? base : -1;
}

AssemblyModel readBytes(const QByteArray& file) {
  const MemorySource source(std::string_view(file.constData(), static_cast<std::size_t>(file.size())));
  AssemblyModel model;
  readLegacyText(source, afterHeader(file), bannerBase(file), model);
  return model;
}

TEST(LegacyText, CorpusFilesGiveTheirExpectedComponentsAndWriter) {
  const QJsonObject assemblies = test::expectedAssemblies();
  if (assemblies.isEmpty()) GTEST_SKIP() << "corpus absent: " << corpusDir().toStdString();
  int checked = 0;
  for (auto it = assemblies.begin(); it != assemblies.end(); ++it) {
    const QJsonObject expected = it.value().toObject();
    if (expected.value(QStringLiteral("generation")).toString() != QStringLiteral("legacy-text")) continue;
    SCOPED_TRACE(it.key().toStdString());
    const AssemblyModel model = readBytes(test::readWhole(corpusDir() + u'/' + it.key()));
    EXPECT_FALSE(model.failed) << model.notes.join(u'\n').toStdString();
    EXPECT_EQ(modelLines(model), test::expectedLines(expected));
    QString writer = expected.value(QStringLiteral("writer_version")).toString();
    writer.remove(QStringLiteral("Pro/ENGINEER "));
    EXPECT_EQ(model.writer, writer);
    ++checked;
  }
  EXPECT_EQ(checked, 6);
}

TEST(LegacyText, OwnModelNameComesFromTheFirstLevelOneModelName) {
  const struct {
    const char* file;
    const char* model;
  } cases[] = {
      {"usnistgov__engineering-design-models/models/PTC/V18/piping18/control.asm", "CONTROL"},
      {"usnistgov__engineering-design-models/models/PTC/V18/bboxrev2/boombox/top.asm", "TOP_"},
      {"usnistgov__engineering-design-models/models/PTC/V18/casting18/runner.asm", "RUNNER"},
  };
  for (const auto& c : cases) {
    const QByteArray file = test::readWhole(corpusDir() + u'/' + QLatin1String(c.file));
    if (file.isEmpty()) GTEST_SKIP() << "corpus absent";
    EXPECT_EQ(readBytes(file).model, QLatin1String(c.model)) << c.file;
  }
}

// The window's list runs the plain marker scan over the table's range only.
TEST(LegacyText, MarkerScanOverTheTableRangeKeepsNamesAndDropsLaterSections) {
  const struct {
    QString path;
    QStringList names;
  } cases[] = {
      {test::samplesDir() + QStringLiteral("/control.asm"), {"CONTROL_SHROUD", "CONTROL_KNOB"}},
      {test::samplesDir() + QStringLiteral("/boom_box_head.asm"),
       {"PCB_EQ_", "BOOM_BOX_SKEL", "ECAD", "SPEAKER_RIGHT_", "SPEAKER_LEFT_", "CASSETTE", "POWER_SUPPLY", "TOP",
        "FRONT", "BACK", "CD_PLAYER1", "HANDLE", "ANTENNA", "BOOM_BOX", "EDR"}},
      // The whole file also yields "48, 50, 52, 58, -" from its later sections.
      {corpusDir() + QStringLiteral("/usnistgov__engineering-design-models/models/PTC/V18/bboxrev2/boombox/top.asm"),
       {"TOP1_TOP1"}},
  };
  for (const auto& c : cases) {
    const QByteArray file = test::readWhole(c.path);
    if (file.isEmpty()) GTEST_SKIP() << "missing " << c.path.toStdString();
    const AssemblyModel model = readBytes(file);
    ASSERT_GE(model.dependBegin, 0) << c.path.toStdString();
    ASSERT_LE(model.dependEnd, file.size());
    const std::string_view range(file.constData() + model.dependBegin,
                                 static_cast<std::size_t>(model.dependEnd - model.dependBegin));
    QStringList names;
    for (const Component& found : scanComponents(range)) names << found.text();
    EXPECT_EQ(names, c.names) << c.path.toStdString();
  }
}

std::string legacyObject(int elements, const std::string& table) {
  return "#P_OBJECT 6\n@P_object 1 0\n0 1 ->\n@depend 2 0\n1 2 [" + std::to_string(elements) + "]\n" + table +
         "@dep_db 30 0\n1 30 ->\n#END_OF_P_OBJECT\n"
         "#Pro/ENGINEER  TM  Version G-03-26  (c) 1988-96 by Parametric Technology Corporation  All Rights "
         "Reserved. 9645\n@model_name 31 0\n1 31 ->\n@model_name 32 10\n1 32 NULL\n@model_name 33 10\n1 33 OWN\n";
}

const std::string kDeclare =
    "@model_name 3 10\n@model_type 4 1\n@bom_count 6 1\n@dep_type 7 1\n@comp_dep_types 16 1\n";

TEST(LegacyText, SyntheticTables) {
  const struct {
    const char* what;
    int elements;
    std::string table;
    QStringList lines;
    const char* note;  // a fragment of a note the reader must add, or ""
  } cases[] = {
      {"a layout and a reference are no components", 3,
       kDeclare + "2 2 \n3 3 LAY\n3 4 19\n3 6 1\n3 7 1\n2 2 \n3 3 REF\n3 4 2\n3 6 1\n3 7 8\n"
                  "2 2 \n3 3 BOLT\n3 4 2\n3 6 2\n3 7 2\n",
       {"BOLT part 2 0 "}, ""},
      {"instance types with k*v and a trailing-comma continuation", 1,
       kDeclare + "2 2 \n3 3 CHAIN\n3 4 2\n3 6 29\n3 7 32770\n3 16 [29]\n$2*2,9*32768,\n$17*2,2\n",
       {"CHAIN part 20 9 "}, ""},
      {"a one-element array written as a level line", 2,
       kDeclare + "2 2 \n3 3 PIN\n3 4 2\n3 6 1\n3 7 2\n3 16 [1]\n4 16 32768\n2 2 \n3 3 SUB\n3 4 1\n3 6 1\n3 7 2\n"
                  "3 16 [1]\n4 16 2\n",
       {"PIN part 0 1 ", "SUB assembly 1 0 "}, ""},
      {"an id declared again with another name, a name under a new id", 2,
       kDeclare + "2 2 \n3 3 A\n3 4 2\n3 6 4\n3 7 2\n@reason 7 10\n@dep_type 8 1\n3 7 \n2 2 \n3 3 B\n3 4 2\n"
                  "3 6 5\n3 7 8\n3 8 2\n",
       {"A part 4 0 ", "B part 5 0 "}, ""},
      {"a mixed entry without instance types counts all and says so", 1,
       kDeclare + "2 2 \n3 3 KNOB\n3 4 2\n3 6 3\n3 7 32770\n", {"KNOB part 3 0 "}, "includes suppressed"},
      {"a wholly suppressed entry", 1, kDeclare + "2 2 \n3 3 CASE\n3 4 1\n3 6 2\n3 7 32768\n",
       {"CASE assembly 0 2 "}, ""},
      {"a family-table instance", 1, kDeclare + "2 2 \n3 3 TOP1_!TOP1\n3 4 2\n3 6 1\n3 7 2\n",
       {"TOP1_ part 1 0 TOP1"}, ""},
      {"a Windows-1252 name", 1, kDeclare + "2 2 \n3 3 \x80X\xe9\n3 4 2\n3 6 1\n3 7 2\n",
       {QStringLiteral(u"\u20acX\u00e9 part 1 0 ")}, ""},
  };
  for (const auto& c : cases) {
    const std::string bytes = legacyObject(c.elements, c.table);
    AssemblyModel model;
    readLegacyText(MemorySource(bytes), 0, -1, model);
    EXPECT_FALSE(model.failed) << c.what << ": " << model.notes.join(u'\n').toStdString();
    EXPECT_EQ(modelLines(model), c.lines) << c.what;
    EXPECT_EQ(model.model, QStringLiteral("OWN")) << c.what;
    EXPECT_EQ(model.writer, QStringLiteral("Version G-03-26")) << c.what;
    EXPECT_EQ(bytes.substr(static_cast<std::size_t>(model.dependBegin), 11), "@depend 2 0") << c.what;
    EXPECT_EQ(bytes.substr(static_cast<std::size_t>(model.dependEnd), 13), "@dep_db 30 0\n") << c.what;
    if (*c.note) {
      EXPECT_TRUE(model.notes.join(u'\n').contains(QLatin1String(c.note))) << c.what;
    }
  }
}

std::string cutBefore(const std::string& bytes, const char* text) { return bytes.substr(0, bytes.find(text)); }

TEST(LegacyText, DamagedTablesFailWithANote) {
  const std::string element = kDeclare + "2 2 \n3 3 BOLT\n3 4 2\n3 6 1\n3 7 2\n";
  const struct {
    const char* what;
    std::string bytes;
    const char* reason;
  } cases[] = {
      {"fewer elements than declared", legacyObject(3, element), "declares 3 elements but holds 1"},
      {"cut after an element's first line", cutBefore(legacyObject(2, element + "2 2 \n3 3 NUT\n"), "3 3 NUT"),
       "without a model"},
      {"no object", "#UGC_TOC 2 32\n", "no #P_OBJECT"},
      {"no table", "#P_OBJECT 6\n@P_object 1 0\n0 1 ->\n#END_OF_P_OBJECT\n", "no @depend table"},
      {"a bad number", legacyObject(1, kDeclare + "2 2 \n3 3 BOLT\n3 4 2x\n"), "malformed number"},
      {"a bad value list", legacyObject(1, kDeclare + "2 2 \n3 3 B\n3 7 2\n3 16 [2]\n$2,*\n"), "malformed value"},
      {"a stray line", legacyObject(1, element + "garbage\n"), "unknown form"},
      {"an element without a name", legacyObject(1, kDeclare + "2 2 \n3 4 2\n3 6 1\n3 7 2\n"), "without a model"},
      {"a line longer than the bound", legacyObject(1, kDeclare + "2 2 \n3 3 " + std::string(1 << 21, 'A')),
       "longer than"},
  };
  for (const auto& c : cases) {
    AssemblyModel model;
    readLegacyText(MemorySource(c.bytes), 0, -1, model);
    EXPECT_TRUE(model.failed) << c.what;
    EXPECT_TRUE(model.components.empty()) << c.what;
    EXPECT_TRUE(model.notes.join(u'\n').contains(QLatin1String(c.reason))) << c.what << ": "
                                                                          << model.notes.join(u'\n').toStdString();
  }
}

}  // namespace
}  // namespace kelvaron::reader
