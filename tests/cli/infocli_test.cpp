// kelvaron-cli info and picture, run as a program on files made here and on
// the shared corpus: outputs, the picture's bytes, exit statuses.

#include "cli/cli_testenv.h"
#include "core/reader/readerfixtures.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kelvaron::clitest {
namespace {

using reader::fixtures::hx;
using InfoCli = CliTest;

// A Creo file with two parameters, a material and a 32 x 16 picture.
QByteArray creoPart(const std::string& picture) {
  const std::string attributes = hx(
      "e0 00 'Sld_NeutPart' 00 e2 e0 00 'attributes' 00 f8 02 fb e3 e0 0a 'name' 00 'DESCRIPTION' 00 e0 00 'value' "
      "00 e2 e0 01 'type' 00 33 e0 0a 'value(s_val)' 00 'HUB' 01 00 f1 e0 0a 'ref_name' 00 e1 e0 0a 'unit' 00 e1 "
      "e0 01 'designated' 00 01 f1 f7 02 e3 f0 f7 03 'LENGTH' 00 f0 f7 04 e2 f0 f7 05 32 f0 e0 02 'value(d_val)' 00 "
      "29 b9 99 f1 f7 07 e1 f0 f7 08 'mm' 00 f0 f7 09 00 f4 02");
  const std::string basic = hx("e0 00 'Sld_BasicText' 00 e2 e0 0a 'mat_name_ptr' 00 'AL6061' 00");
  std::vector<reader::fixtures::Section> sections{{"NeuPrtSld", attributes, {}, {}, {}},
                                                  {"BasicText", basic, {}, {}, {}}};
  if (!picture.empty()) sections.push_back({"THMB_IMG_MAIN", picture, {}, {}, {}});
  std::string file = reader::fixtures::creoFile(sections);
  file.replace(file.find("ASSEMBLY"), 8, "PART    ");
  return QByteArray::fromStdString(file);
}

const std::string kJpeg = hx("ff d8 ff c0 00 0b 08 00 10 00 20 01 01 11 00 ff d9");

TEST_F(InfoCli, TextJsonAndExitStatuses) {
  put("hub.prt.3", creoPart(kJpeg));
  put("plain.prt", creoPart(""));
  put("notes.txt", "hello\n");
  const CliResult json = run({"info", "--format", "json", "hub.prt.3"});
  EXPECT_EQ(json.exitCode, 0) << json.err.toStdString();
  const QJsonObject o = QJsonDocument::fromJson(json.out).object();
  EXPECT_EQ(QJsonDocument(o.value("parameters").toArray()).toJson(QJsonDocument::Compact),
            R"([{"designated":true,"name":"DESCRIPTION","owner":null,"type":"string","unit":null,"value":"HUB\u0001"},)"
            R"({"designated":false,"name":"LENGTH","owner":null,"type":"real","unit":"mm","value":0.09999999999999999}])");
  EXPECT_EQ(o.value("material").toString(), "AL6061");
  EXPECT_EQ(QJsonDocument(o.value("thumbnail").toObject()).toJson(QJsonDocument::Compact),
            R"({"bytes":17,"format":"jpeg","height":16,"stored":"raw","width":32})");
  EXPECT_EQ(o.value("format").toObject().value("writer").toString(), "Creo 3.0 (M080)");
  EXPECT_TRUE(o.value("mass").isNull());

  const CliResult text = run({"info", "hub.prt.3"});
  EXPECT_EQ(text.exitCode, 0);
  // One parameter a line, aligned; the control character from the file escaped.
  EXPECT_TRUE(text.out.contains("    DESCRIPTION  string   HUB\\x01  designated\n"
                                "    LENGTH       real     0.09999999999999999  [mm]\n"))
      << text.out.toStdString();
  EXPECT_TRUE(text.out.contains("  picture     jpeg 32 x 16, 17 bytes\n")) << text.out.toStdString();

  // The arguments, the exit status, how many JSON lines, a fragment standard error must hold.
  const std::tuple<QStringList, int, int, const char*> cases[] = {
      {{"info", "--format", "json", "hub.prt.3", "plain.prt"}, 0, 2, ""},
      {{"info", "--format", "json", "hub.prt.3", "gone.prt", "plain.prt"}, 1, 2, "cannot read gone.prt"},
      {{"info", "--format", "json", "notes.txt"}, 1, 1, "notes.txt: no #UGC header"},
      {{"info", "--format", "xml", "hub.prt.3"}, 2, 0, "--format"},
      {{"info"}, 2, 0, "FILE"},
  };
  for (const auto& [args, status, lines, message] : cases) {
    const CliResult r = run(args);
    EXPECT_EQ(r.exitCode, status) << args.join(' ').toStdString();
    EXPECT_EQ(r.out.count('\n'), lines) << args.join(' ').toStdString();
    EXPECT_TRUE(r.err.contains(message)) << args.join(' ').toStdString() << ": " << r.err.toStdString();
  }
}

TEST_F(InfoCli, PictureWritesTheStoredBytes) {
  std::vector<std::uint32_t> codes;
  for (const char c : kJpeg) codes.push_back(static_cast<std::uint8_t>(c));
  put("hub.prt.3", creoPart(kJpeg));
  put("packed.prt", creoPart(reader::fixtures::packCodes(codes)));
  put("plain.prt", creoPart(""));
  put("old.asm", assemblyBytes({"BOLT"}));
  // The arguments, the exit status, the bytes written to "out.jpg" or standard output, a fragment of standard error.
  const std::tuple<QStringList, int, std::string, const char*> cases[] = {
      {{"picture", "hub.prt.3", "-o", "out.jpg"}, 0, kJpeg, ""},
      {{"picture", "packed.prt", "-o", "-"}, 0, kJpeg, ""},
      {{"picture", "plain.prt", "-o", "out.jpg"}, 1, "", "plain.prt: no thumbnail section"},
      {{"picture", "old.asm", "-o", "out.jpg"}, 1, "", "old.asm: no picture stored"},
      {{"picture", "gone.prt", "-o", "out.jpg"}, 1, "", "cannot read gone.prt"},
      {{"picture", "hub.prt.3", "-o", "no/such/out.jpg"}, 1, "", "cannot write"},
      {{"picture", "hub.prt.3"}, 2, "", "--output"},
  };
  for (const auto& [args, status, bytes, message] : cases) {
    QFile::remove(path("out.jpg"));
    const CliResult r = run(args);
    EXPECT_EQ(r.exitCode, status) << args.join(' ').toStdString();
    EXPECT_EQ((args.contains("-") ? r.out : readBytes(path("out.jpg"))).toStdString(), bytes)
        << args.join(' ').toStdString();
    EXPECT_TRUE(r.err.contains(message)) << args.join(' ').toStdString() << ": " << r.err.toStdString();
  }
}

// The real pictures: a raw one is the section's bytes themselves; a
// compressed one decodes to a whole JPEG of the recorded size.
TEST_F(InfoCli, RealPicturesByteForByte) {
  const QString corpus = reader::fixtures::corpusDir();
  const QString raw = corpus + "/Buhahahhahah__messing-with-creo/grip.prt.4";
  const QString packed = corpus + "/Buhahahhahah__messing-with-creo/bras_robot.asm.96";
  if (!QFile::exists(raw)) GTEST_SKIP() << "corpus absent";
  const QByteArray file = readBytes(raw);
  const qsizetype at = file.indexOf("#THMB_IMG_MAIN\n") + 15;
  const CliResult r = run({"picture", raw, "-o", "-"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out.size(), 4966);
  EXPECT_EQ(r.out, file.mid(at, r.out.size()));
  const CliResult p = run({"picture", packed, "-o", "-"});
  EXPECT_EQ(p.exitCode, 0);
  EXPECT_TRUE(p.out.startsWith("\xFF\xD8") && p.out.endsWith("\xFF\xD9"));
  const QJsonObject thumbnail =
      QJsonDocument::fromJson(run({"info", "--format", "json", packed}).out).object().value("thumbnail").toObject();
  EXPECT_EQ(thumbnail.value("stored").toString(), "lzw");
  EXPECT_EQ(p.out.size(), thumbnail.value("bytes").toInteger());
}

// Part-data columns of a real product: flat totals as CSV and JSON, each
// component's own parameter (named in any case), material and mass.
TEST_F(InfoCli, BomColumnsFromEachComponentsFile) {
  const QString top = reader::fixtures::corpusDir() + "/zduino__Stiev/arm_assembly.asm.6";
  if (!QFile::exists(top)) GTEST_SKIP() << "corpus absent";
  const QStringList columns = {"--param", "description", "--param", "ptc_mp_val_imp_volume", "--material", "--mass"};
  const CliResult csv = run(QStringList{"bom", "--flat", "--format", "csv"} + columns + QStringList{top});
  EXPECT_EQ(csv.exitCode, 0) << csv.err.toStdString();
  const QList<QByteArray> lines = csv.out.split('\n');
  EXPECT_EQ(lines.value(0), "quantity,suppressed,parents,type,name,file,status,description,ptc_mp_val_imp_volume,"
                            "material,mass,volume\r");
  EXPECT_TRUE(csv.out.contains(",DRIVE_MOTOR,drive_motor.prt.3,ok,,,STEEL,,\r\n")) << csv.out.toStdString();
  EXPECT_TRUE(csv.out.contains(
      "3,0,1,part,TRAILER_CORNER_BRACKET,trailer_corner_bracket.prt.3,ok,,3.8623171619304952,STEEL,,3.8623171619304952"))
      << csv.out.toStdString();
  const CliResult json = run(QStringList{"bom", "--format", "json"} + columns + QStringList{top});
  const QJsonObject root = QJsonDocument::fromJson(json.out).object().value("root").toObject();
  EXPECT_TRUE(root.value("parameters").toObject().contains("description"));
  const QJsonArray children = root.value("children").toArray();
  QStringList materials;
  for (const QJsonValue& c : children) materials << c.toObject().value("material").toString();
  EXPECT_EQ(materials.count("AL6061"), 6) << materials.join(',').toStdString();
  const CliResult xlsx = run(QStringList{"bom", "--format", "xlsx", "-o", "bom.xlsx", "--material"} + QStringList{top});
  EXPECT_EQ(xlsx.exitCode, 0) << xlsx.err.toStdString();
}

}  // namespace
}  // namespace kelvaron::clitest
