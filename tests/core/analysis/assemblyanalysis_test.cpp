// One assembly file through the analysis: which files are scanned, errors,
// stops, and which names the list holds by what the format reader recognises.

#include "analysis/assemblyanalysis.h"
#include "common/scanall.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <tuple>

namespace {

using namespace kelvaron::testing;

const QByteArray kTwoParts = "3 3 SHAFT\n3 4 2\n3 3 GEAR\n3 4 2\n";

TEST(Analysis, ExtensionDecidesWhetherTheFileIsScanned) {
  QTemporaryDir dir;
  const std::pair<const char*, bool> cases[] = {
      {"box.asm", true},  {"box.asm.3", true}, {"BOX.ASM", true}, {"BOX.ASM.12", true},
      {"box.Asm", false}, {"box.txt", false},  {"box", false},    {"box.prt.2", false},
  };
  for (const auto& [name, scanned] : cases) {
    SCOPED_TRACE(name);
    const auto [r, lines] = analyseListed(writeFile(dir.filePath(name), kTwoParts));
    EXPECT_TRUE(r.ok()) << r.error.toStdString();
    EXPECT_EQ(r.assembly, scanned);
    EXPECT_EQ(r.partCount, scanned ? 2 : 0);
    EXPECT_EQ(lines, (scanned ? QStringList{kHeading, "SHAFT", "GEAR"} : QStringList{}));
  }
}

TEST(Analysis, UnreadablePathsAreErrorsNamingThePath) {
  QTemporaryDir dir;
  const QString missing = dir.filePath("gone.asm.1");
  ASSERT_TRUE(QDir().mkpath(dir.filePath("old.asm.1")));
  for (const QString& path : {missing, dir.filePath("old.asm.1"), QString()}) {
    const auto [r, lines] = analyseListed(path);
    EXPECT_TRUE(!r.ok() && r.error.startsWith("cannot read " + path + ": ") && lines.isEmpty())
        << r.error.toStdString();
  }
  EXPECT_TRUE(analyseListed(missing).analysis.error.endsWith("No such file or directory"));
  EXPECT_FALSE(QFileInfo::exists(missing)) << "a missing assembly must not be created";
}

TEST(Analysis, StopRequestGivesNoResult) {
  QTemporaryDir dir;
  const auto r = analyseListed(writeFile(dir.filePath("a.asm"), kTwoParts.repeated(300000)), [] { return false; });
  EXPECT_TRUE(r.analysis.stopped && !r.analysis.ok());  // yields come about once per megabyte
}

using kelvaron::reader::Generation;

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Which names the list holds, by what the format reader recognises: the
// reader's names for a known layout, or the whole-file scan.
TEST(ReaderList, WhatTheReaderRecognisesDecidesWhichNamesAreListed) {
  const QDir corpus(QStringLiteral(KELVARON_SAMPLES_DIR "/../proe-corpus"));
  if (!corpus.exists()) GTEST_SKIP() << "no corpus folder beside " KELVARON_SAMPLES_DIR;
  const QByteArray top =
      readAll(corpus.filePath("usnistgov__engineering-design-models/models/PTC/V18/bboxrev2/boombox/top.asm"));
  const QByteArray pince = readAll(corpus.filePath("Buhahahhahah__messing-with-creo/asm0001_pince.asm.21"));
  ASSERT_FALSE(top.isEmpty() || pince.isEmpty());
  // What, the file's bytes, the names after the heading, the generation read, whether the scan is a fallback.
  const std::tuple<const char*, QByteArray, const char*, Generation, bool> cases[] = {
      // The marker scan made TOP1_TOP1 of the instance TOP1_ of the generic TOP1.
      {"legacy text: a family-table instance under its own name", top, "TOP1_", Generation::LegacyText, false},
      // BASEPLATE is both an assembly and a part here: one line.
      {"Creo: each name once", readAll(corpus.filePath("ashe848__CAD-skateboard/asm0007.asm.2")),
       "DECK, BASEPLATE, ASM0006TRUCK", Generation::CreoTokens, false},
      {"Creo: names in UTF-8", readAll(corpus.filePath("Buhahahhahah__messing-with-creo/robot_2023_2024.asm.1")),
       "CHASSI, ROUE_AVENT, ROUE_ARRI\u00c8RE, ROUE_DOITE, ROUE_GAUCHE, SYST\u00c8ME_CHAINE, BRAS_ROBOT",
       Generation::CreoTokens, false},
      {"a header with other text: the whole-file scan",
       "#UGC:2 ASSEMBLY 887 360 0 1 1 15 1600 9547\n#-END_OF_UGC_HEADER\n3 3 SHAFT\n3 4 2\n", "SHAFT",
       Generation::Unknown, false},
      // The table of contents points past the end: the scan still finds the record added behind.
      {"damaged Creo file: the whole-file scan with a note", pince.left(4000) + "\n3 3 KEPT\n3 4 2\n", "KEPT",
       Generation::Unknown, true},
  };
  QTemporaryDir dir;
  for (const auto& [label, bytes, names, generation, fallback] : cases) {
    SCOPED_TRACE(label);
    const auto [r, lines] = analyseListed(writeFile(dir.filePath("a.asm.1"), bytes));
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    EXPECT_EQ(lines.join(u", "), kHeading + ", " + QString::fromUtf8(names));
    EXPECT_EQ(r.model.generation, generation);
    EXPECT_EQ(r.fallback.isEmpty(), !fallback) << r.fallback.toStdString();
    EXPECT_EQ(!r.notes.isEmpty() && r.notes.last().contains("marker scan over the whole file"), fallback);
  }
}

// The marker scan over the legacy "@depend" table listed PCB_EQ_, BOOM_BOX and
// EDR too, which are no components of this file.
TEST(ReaderList, LegacyTextListsTheReadersComponents) {
  const QString path = QStringLiteral(KELVARON_SAMPLES_DIR "/boom_box_head.asm");
  if (!QFile::exists(path)) GTEST_SKIP() << "no " << path.toStdString();
  const auto [r, lines] = analyseListed(path);
  EXPECT_EQ(r.model.generation, Generation::LegacyText);
  EXPECT_EQ(lines.join(u", "), kHeading + ", BOOM_BOX_SKEL, ECAD, SPEAKER_RIGHT_, SPEAKER_LEFT_, CASSETTE, "
                                          "POWER_SUPPLY, TOP, FRONT, BACK, CD_PLAYER1, HANDLE, ANTENNA");
  EXPECT_EQ(r.partCount, 12);
}

}  // namespace
