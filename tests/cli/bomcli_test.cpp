// kelvaron-cli bom, where-used, check and diff, run as a program on legacy
// text assemblies made here and on the real products of the corpus.

#include "cli/cli_testenv.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <map>

namespace kelvaron::clitest {
namespace {

struct Comp {
  QByteArray name;
  bool assembly = false;
  int quantity = 1;
  int suppressed = 0;
};

// A legacy text assembly (Release 14 to Wildfire 4 layout) with these components.
QByteArray legacyAssembly(const std::vector<Comp>& comps) {
  QByteArray b =
      "#UGC:2 ASSEMBLY 887 360 0 1 1 15 1600 9547\n#-END_OF_UGC_HEADER\n#P_OBJECT 6\n@P_object 1 0\n"
      "0 1 ->\n@depend 2 0\n1 2 [" +
      QByteArray::number(comps.size()) +
      "]\n"
      "@model_name 3 10\n@model_type 4 1\n@bom_count 6 1\n@dep_type 7 1\n@comp_dep_types 16 1\n";
  for (const Comp& c : comps) {
    const int both = c.quantity > 0 && c.suppressed > 0;
    b += "2 2 \n3 3 " + c.name + "\n3 4 " + (c.assembly ? "1" : "2") + "\n3 6 " +
         QByteArray::number(c.quantity + c.suppressed) + "\n3 7 " +
         (both           ? "32770"
          : c.suppressed ? "32768"
                         : "2") +
         "\n";
    if (both)
      b += "3 16 [" + QByteArray::number(c.quantity + c.suppressed) + "]\n$" + QByteArray::number(c.quantity) + "*2," +
           QByteArray::number(c.suppressed) + "*32768\n";
  }
  return b + "@dep_db 30 0\n1 30 ->\n#END_OF_P_OBJECT\n";
}

Comp asmComp(const QByteArray& name, int q = 1, int s = 0) { return {name, true, q, s}; }
Comp prtComp(const QByteArray& name, int q = 1, int s = 0) { return {name, false, q, s}; }

class BomCliTest : public CliTest {
 protected:
  // top (BOLT x4, SUB x2, GONE), sub in a library folder (BOLT x3, NUT 1+1 suppressed).
  void makeProduct() {
    put("p/top.asm.2", legacyAssembly({prtComp("BOLT", 4), asmComp("SUB", 2), prtComp("GONE")}));
    put("lib/sub.asm", legacyAssembly({prtComp("BOLT", 3), prtComp("NUT", 1, 1)}));
    put("p/bolt.prt", "");
    put("lib/nut.prt.2", "");
  }
};

TEST_F(BomCliTest, ExitStatuses) {
  makeProduct();
  put("ok/a.asm", legacyAssembly({prtComp("X", 2)}));
  put("ok/x.prt", "");
  put("bad/a.asm", "not an assembly at all\n");
  put("old.asm.1", legacyAssembly({prtComp("X", 2), prtComp("Y")}));
  put("new.asm.2", legacyAssembly({prtComp("X", 3)}));
  put("bom", assemblyBytes({"BOMPART"}));
  struct Case {
    QStringList args;
    int exit;
    const char* err;  // a fragment standard error must hold, or ""
  } cases[] = {
      {{"check", "ok"}, 0, ""},
      {{"check", "p", "lib"}, 1, ""},
      {{"check", "bad"}, 1, ""},
      {{"check", "nowhere"}, 2, "cannot search nowhere: no such folder"},
      {{"diff", "old.asm.1", "old.asm.1"}, 0, ""},
      {{"diff", "old.asm.1", "new.asm.2"}, 1, ""},
      {{"diff", "old.asm.1", "none.asm"}, 2, "none.asm"},
      {{"diff", "old.asm.1", "bad/a.asm"}, 2, "bad/a.asm"},
      {{"diff", "old.asm.1"}, 2, "kelvaron-cli diff:"},
      {{"bom", "p/top.asm.2"}, 0, ""},
      {{"bom", "p/none.asm"}, 2, "p/none.asm"},
      {{"bom", "--format", "xlsx", "p/top.asm.2"}, 2, "needs -o"},
      {{"bom", "--format", "pdf", "p/top.asm.2"}, 2, "--format"},
      {{"bom", "--depth", "0", "p/top.asm.2"}, 2, "--depth"},
      {{"bom", "--search", "nowhere", "p/top.asm.2"}, 2, "nowhere"},
      {{"bom", "-o", "no/such/out.csv", "p/top.asm.2"}, 2, "cannot write"},
      {{"bom", "--format", "xlsx", "-o", "no/such/out.xlsx", "p/top.asm.2"}, 2, "cannot write"},
      {{"where-used", "BOLT"}, 2, "--in"},
      {{"where-used", "BOLT", "--in", "p"}, 0, ""},
      {{"bom", "--help"}, 0, ""},
      {{"--no-report", "./bom"}, 0, ""},  // a file named like a subcommand keeps the old meaning
  };
  for (const Case& c : cases) {
    const CliResult r = run(c.args);
    EXPECT_EQ(r.exitCode, c.exit) << c.args.join(' ').toStdString() << "\n" << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(c.err)) << c.args.join(' ').toStdString() << "\n" << r.err.toStdString();
  }
  EXPECT_TRUE(run({"--no-report", "./bom"}).summary.startsWith("1 file,")) << "./bom is a file to list";
}

TEST_F(BomCliTest, TreeCsvFlatJsonAndOutputFile) {
  makeProduct();
  const CliResult tree = run({"bom", "--search", "lib", "--format", "csv", "p/top.asm.2"});
  EXPECT_EQ(tree.exitCode, 0) << tree.err.toStdString();
  EXPECT_EQ(tree.out,
            "level,quantity,suppressed,type,name,file,status\r\n"
            "0,1,0,assembly,TOP,top.asm.2,ok\r\n"
            "1,4,0,part,BOLT,bolt.prt,ok\r\n"
            "1,2,0,assembly,SUB,../lib/sub.asm,ok\r\n"
            "2,3,0,part,BOLT,,missing\r\n"  // the sub's folder, then the search folders: not the top's
            "2,1,1,part,NUT,../lib/nut.prt.2,ok\r\n"
            "1,1,0,part,GONE,,missing\r\n");

  const CliResult flat =
      run({"bom", "--flat", "--search", "lib", "--search", "p", "--format", "json", "-o", "flat.json", "p/top.asm.2"});
  EXPECT_EQ(flat.exitCode, 0) << flat.err.toStdString();
  EXPECT_TRUE(flat.out.isEmpty());
  const QJsonObject doc = QJsonDocument::fromJson(readBytes(path("flat.json"))).object();
  EXPECT_EQ(doc["assembly"].toString(), QDir::cleanPath(path("p/top.asm.2")));
  std::map<QString, std::tuple<qint64, qint64, qint64, QString>> items;
  for (const QJsonValue& v : doc["items"].toArray()) {
    const QJsonObject o = v.toObject();
    items[o["name"].toString()] = {o["quantity"].toInteger(), o["suppressed"].toInteger(), o["parents"].toInteger(),
                                   o["status"].toString()};
  }
  using T = std::tuple<qint64, qint64, qint64, QString>;
  EXPECT_EQ(items, (std::map<QString, T>{{"BOLT", T{4 + 2 * 3, 0, 2, "ok"}},
                                         {"SUB", T{2, 0, 1, "ok"}},
                                         {"NUT", T{2, 2, 1, "ok"}},
                                         {"GONE", T{1, 0, 1, "missing"}}}));
  // the same component in two places: the first search folder wins, a note says so
  put("lib2/gone.prt", "");
  put("lib1/gone.prt.3", "");
  const CliResult twice = run({"bom", "--search", "lib1", "--search", "lib2", "--search", "lib", "p/top.asm.2"});
  EXPECT_TRUE(twice.out.contains("../lib1/gone.prt.3")) << twice.out.toStdString();
  EXPECT_TRUE(twice.err.contains("lib2/gone.prt")) << twice.err.toStdString();

  const CliResult xlsx = run({"bom", "--format", "xlsx", "-o", "bom.xlsx", "--search", "lib", "p/top.asm.2"});
  EXPECT_EQ(xlsx.exitCode, 0) << xlsx.err.toStdString();
  EXPECT_TRUE(readBytes(path("bom.xlsx")).startsWith("PK"));
}

TEST_F(BomCliTest, WhereUsedGivesOneJsonDocumentPerName) {
  makeProduct();
  const CliResult r = run({"where-used", "--indirect", "--format", "json", "nut", "bolt.prt", "--in", "p", "lib"});
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
  const QList<QByteArray> lines = r.out.trimmed().split('\n');
  ASSERT_EQ(lines.size(), 2);
  const QJsonObject nut = QJsonDocument::fromJson(lines[0]).object();
  EXPECT_EQ(nut["name"].toString(), "nut");
  const QJsonArray used = nut["used_in"].toArray();
  ASSERT_EQ(used.size(), 1);
  EXPECT_EQ(used[0].toObject()["assembly"].toString(), QDir::cleanPath(path("p/top.asm.2")));
  EXPECT_EQ(used[0].toObject()["quantity"].toInteger(), 2);
  EXPECT_EQ(used[0].toObject()["path"].toArray().size(), 2);
  EXPECT_EQ(QDir::cleanPath(path("lib/sub.asm")), used[0].toObject()["path"].toArray()[1].toString());
  EXPECT_EQ(QJsonDocument::fromJson(lines[1]).object()["used_in"].toArray().size(), 2);  // top directly, top via SUB
}

// The real products: totals worked out by hand from the component lists of
// each sub-assembly in the corpus's expected.json.
TEST(BomCorpus, FlatTotalsOfRealProducts) {
  const QString corpus = QStringLiteral(KELVARON_SAMPLES_DIR "/../proe-corpus");
  if (!QFileInfo::exists(corpus + "/expected.json")) GTEST_SKIP() << "corpus absent: " << corpus.toStdString();
  using T = std::tuple<qint64, qint64, QString>;  // quantity, suppressed, status
  struct Case {
    const char* file;
    std::map<QString, T> items;
    int depth;  // levels of the tree below the top
  } cases[] = {
      {"ashe848__CAD-skateboard/asm0007.asm.2",
       {{"DECK", T{1, 0, "ok"}},
        {"BASEPLATE", T{2, 0, "ok"}} /* the part: top and baseplate.asm */,
        {"ROUNDBOLT", T{4, 0, "ok"}},
        {"SMALLNUT", T{4, 0, "ok"}},
        {"ASM0006TRUCK", T{2, 0, "ok"}},
        {"HANGER1", T{2, 0, "ok"}},
        {"ASM0006WHEEL", T{2, 0, "ok"}},
        {"ASM0006WHEEL2", T{2, 0, "ok"}},
        {"NUT", T{2, 0, "ok"}},
        {"NUT2", T{2, 0, "ok"}},
        {"BIGHEXBOLT", T{2, 0, "ok"}},
        {"BEARING", T{4, 0, "ok"}},
        {"BEARING_MIR", T{4, 0, "ok"}},
        {"WHEEL", T{2, 0, "ok"}},
        {"WHEEL_MIR", T{2, 0, "ok"}}},
       3},
      {"SriEagle__NOVEL-ABS/brake.asm.11",
       {{"DISC_CALIPER", T{1, 0, "ok"}},
        {"COUPLING", T{1, 0, "ok"}},
        {"ROPE", T{2, 0, "ok"}},
        {"PRT0002", T{1, 0, "ok"}},
        {"PRT0003", T{1, 0, "ok"}},
        {"CALIPER", T{1, 0, "ok"}},
        {"DISC", T{1, 0, "ok"}},
        {"SCISSOR", T{1, 0, "ok"}},
        {"SHOES", T{2, 0, "ok"}},
        {"COUPLING_SHEEL", T{2, 0, "ok"}},
        {"COUPLING_SHAFT", T{1, 0, "ok"}}},
       3},
      {"Buhahahhahah__messing-with-creo/robot_2023_2024.asm.1",
       {{"CHASSI", T{1, 0, "missing"}},
        {"ROUE_AVENT", T{1, 0, "missing"}},
        {QStringLiteral(u"ROUE_ARRIÈRE"), T{1, 0, "missing"}},
        {"ROUE_DOITE", T{1, 0, "missing"}},
        {"ROUE_GAUCHE", T{1, 0, "missing"}},
        {QStringLiteral(u"SYSTÈME_CHAINE"), T{1, 0, "ok"}},
        {"BRAS_ROBOT", T{1, 0, "ok"}},
        {"PINION_MOTEUR", T{1, 0, "ok"}},
        {"PINION_1", T{1, 0, "ok"}},
        {"PINION_2", T{1, 0, "ok"}},
        {"PINION_3", T{1, 0, "ok"}},
        {"CHAINE", T{1, 0, "ok"}},
        {"MAILLE_1", T{1, 0, "ok"}},
        {"MAILLE_2", T{1, 0, "ok"}},
        {"MAILLE_ANNEAUX_1", T{1, 0, "ok"}},
        {"MAILLE_ANNEAUX_2", T{1, 0, "ok"}},
        {"MOTEUR_ROTATION_Z1", T{1, 0, "missing"}},
        {"MOTEUR_ROTATION_X", T{0, 1, "missing"}},
        {"BIELLE_M2", T{0, 1, "missing"}},
        {"MOTEUR_ROTATION_Z2", T{0, 1, "missing"}},
        {"BIELLE_SOUTIENT", T{0, 1, "missing"}},
        {"ASM0001_PINCE", T{0, 1, "ok"}} /* suppressed: its nine parts are not counted */,
        {"MOTEUR_ROTATION_X1_V3", T{1, 0, "missing"}}},
       3},
  };
  for (const Case& c : cases) {
    const QString file = corpus + u'/' + QString::fromUtf8(c.file);
    const CliResult r = runCli({"bom", "--flat", "--format", "json", file}, corpus);
    ASSERT_EQ(r.exitCode, 0) << c.file << "\n" << r.err.toStdString();
    std::map<QString, T> items;
    for (const QJsonValue& v : QJsonDocument::fromJson(r.out).object()["items"].toArray()) {
      const QJsonObject o = v.toObject();
      if (o["type"].toString() == "assembly" && o["name"].toString() == "BASEPLATE") continue;  // the part is checked
      items[o["name"].toString()] = {o["quantity"].toInteger(), o["suppressed"].toInteger(), o["status"].toString()};
    }
    EXPECT_EQ(items, c.items) << c.file;

    const CliResult tree = runCli({"bom", "--format", "csv", file}, corpus);
    int deepest = 0;
    for (const QByteArray& line : tree.out.split('\n').mid(1))
      if (!line.isEmpty()) deepest = std::max(deepest, line.split(',').first().toInt());
    EXPECT_EQ(deepest, c.depth) << c.file;
  }
}

}  // namespace
}  // namespace kelvaron::clitest
