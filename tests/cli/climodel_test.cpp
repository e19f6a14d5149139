// kelvaron-cli on what the format reader found: the JSON keys "format",
// "components" and "notes", the --long lines, and a damaged file's fallback.

#include "cli_testenv.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kelvaron::clitest {
namespace {

using CliModel = CliTest;

QString sample(const char* name) { return QStringLiteral(KELVARON_SAMPLES_DIR "/") + QLatin1String(name); }

TEST_F(CliModel, JsonCarriesFormatComponentsAndNotes) {
  if (!QFileInfo::exists(sample("asm0001_pince.asm.21"))) GTEST_SKIP() << "no samples at " KELVARON_SAMPLES_DIR;
  put("notes.txt", "3 3 X\n");
  const auto r = run({"--json", "--no-report", sample("asm0001_pince.asm.21"), sample("top_head.asm"), "notes.txt"});
  ASSERT_EQ(r.exitCode, 0) << r.err.constData();
  const QList<QByteArray> lines = r.out.split('\n');
  ASSERT_EQ(lines.size(), 4) << r.out.constData();
  // The keys of before come first, in their order; the new ones after them.
  EXPECT_TRUE(lines[0].startsWith("{\"file\":")) << lines[0].constData();
  EXPECT_TRUE(lines[0].contains("\"error\":null,\"format\":{")) << lines[0].constData();
  const auto object = [&](int i) { return QJsonDocument::fromJson(lines[i]).object(); };

  const auto json = [](const char* text) { return QJsonDocument::fromJson(text).object(); };
  const QJsonObject creo = object(0);
  EXPECT_EQ(creo["format"].toObject(),
            json(R"j({"generation":"creo-tokens","writer":"Creo 9.0 (9.0.0.0)","model":"asm0001_pince.asm"})j"));
  const QJsonArray parts = creo["components"].toArray();
  ASSERT_EQ(parts.size(), 9);
  EXPECT_EQ(parts[0].toObject(), json(R"j({"name":"top base","type":"part","quantity":1,"suppressed":0,)j"
                                      R"j("source":"SLDPRT","file":"top base.SLDPRT"})j"));
  EXPECT_EQ(parts[7].toObject()["name"].toString(), u"MAINTIEN_PIÈCE_V3"_qs);
  EXPECT_EQ(creo["parts"].toArray()[7].toString(), u"MAINTIEN_PIÈCE_V3"_qs);
  EXPECT_EQ(creo["notes"].toArray(), QJsonArray{});

  const QJsonObject legacy = object(1);
  EXPECT_EQ(legacy["format"].toObject(),
            json(R"j({"generation":"legacy-text","writer":"Version H-01-21","model":null})j"));
  EXPECT_EQ(legacy["components"].toArray(),
            QJsonArray{json(R"j({"name":"TOP1_","type":"part","quantity":1,"suppressed":0,"generic":"TOP1",)j"
                            R"j("file":"top1.prt"})j")});
  EXPECT_TRUE(object(2)["format"].isNull());
  EXPECT_EQ(object(2)["components"].toArray(), QJsonArray{});
}

TEST_F(CliModel, LongListsAlignedComponentsAfterTheWriterLine) {
  if (!QFileInfo::exists(sample("baseplate.asm.2"))) GTEST_SKIP() << "no samples at " KELVARON_SAMPLES_DIR;
  put("plain.asm", "3 3 SHAFT\n3 4 2\n");
  const auto r =
      runCli({"-l", "--no-report", "baseplate.asm.2", "top_head.asm", "boom_box_head.asm"}, KELVARON_SAMPLES_DIR);
  ASSERT_EQ(r.exitCode, 0) << r.err.constData();
  const QByteArray boomBox =
      "==> boom_box_head.asm <==\n"
      "legacy-text: 12 components, 11 instances\n"
      "  1                part      BOOM_BOX_SKEL\n"
      "  1                assembly  ECAD\n"
      "  1                assembly  SPEAKER_RIGHT_\n"
      "  1                assembly  SPEAKER_LEFT_\n"
      "  0  1 suppressed  assembly  CASSETTE\n"
      "  1                assembly  POWER_SUPPLY\n"
      "  1                assembly  TOP\n"
      "  1                assembly  FRONT\n"
      "  1                assembly  BACK\n"
      "  1                assembly  CD_PLAYER1\n"
      "  1                part      HANDLE\n"
      "  1                part      ANTENNA\n";
  EXPECT_EQ(r.out,
            "==> baseplate.asm.2 <==\n"
            "Creo 3.0 (M080): 3 components, 9 instances\n"
            "  1  part  BASEPLATE\n"
            "  4  part  ROUNDBOLT\n"
            "  4  part  SMALLNUT\n"
            "\n"
            "==> top_head.asm <==\n"
            "Version H-01-21: 1 component, 1 instance\n"
            "  1  part  TOP1_  generic TOP1\n"
            "\n" +
                boomBox);
  // Without a model the marker scan's names follow the first line.
  EXPECT_EQ(run({"--long", "--no-report", "plain.asm"}).out, "unknown layout: 1 name by the marker scan\n  SHAFT\n");
}

TEST_F(CliModel, ADamagedFileFallsBackToTheScanWithANoteAndExitZero) {
  QFile f(sample("asm0001_pince.asm.21"));
  if (!f.open(QIODevice::ReadOnly)) GTEST_SKIP() << "no samples at " KELVARON_SAMPLES_DIR;
  // Cut where the table of contents still points into the missing part.
  put("cut.asm.3", f.read(4000) + "\n3 3 KEPT\n3 4 2\n");
  auto r = run({"--report-dir", rep(), "cut.asm.3"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, kHeading + "\nKEPT\n");
  EXPECT_TRUE(r.err.startsWith("kelvaron-cli: cut.asm.3: ")) << r.err.constData();
  EXPECT_TRUE(r.err.endsWith("; the names come from the marker scan over the whole file\n")) << r.err.constData();
  EXPECT_EQ(entries(rep()), QStringList{"cut__Kelvaron.txt"});
  r = run({"--json", "--no-report", "cut.asm.3"});
  const QJsonObject o = QJsonDocument::fromJson(r.out).object();
  EXPECT_EQ(o["parts"].toArray(), QJsonArray{"KEPT"});
  EXPECT_EQ(o["components"].toArray(), QJsonArray{});
  EXPECT_EQ(o["notes"].toArray().last().toString(), "the names come from the marker scan over the whole file");
}

}  // namespace
}  // namespace kelvaron::clitest
