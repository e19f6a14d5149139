#include "analysis/assemblyanalysis.h"
#include "common/realsamples.h"
#include "common/scanall.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using kelvaron::testing::analyseListed;
using kelvaron::testing::kHeading;

class Analysis : public ::testing::Test {
 protected:
  QString write(const QString& name, const QByteArray& bytes) {
    const QString path = m_dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
  }
  QTemporaryDir m_dir;
};

const QByteArray kTwoParts = "3 3 SHAFT\n3 4 2\n3 3 GEAR\n3 4 2\n";

TEST_F(Analysis, ExtensionDecidesWhetherTheFileIsScanned) {
  struct Case {
    const char* name;
    bool scanned;
  } const cases[] = {
      {"box.asm", true},  {"box.asm.3", true}, {"BOX.ASM", true}, {"BOX.ASM.12", true},
      {"box.Asm", false}, {"box.txt", false},  {"box", false},    {"box.prt.2", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto [r, lines] = analyseListed(write(c.name, kTwoParts));
    EXPECT_TRUE(r.ok()) << r.error.toStdString();
    EXPECT_EQ(r.assembly, c.scanned);
    EXPECT_EQ(r.partCount, c.scanned ? 2 : 0);
    const QStringList expected = c.scanned ? QStringList{kHeading, "SHAFT", "GEAR"} : QStringList{};
    EXPECT_EQ(lines, expected);
  }
}

TEST_F(Analysis, UnreadablePathsAreErrorsNamingThePath) {
  const QString missing = m_dir.filePath("gone.asm.1");
  const QString folder = m_dir.filePath("old.asm.1");
  ASSERT_TRUE(QDir().mkpath(folder));
  for (const QString& path : {missing, folder, QString()}) {
    SCOPED_TRACE(path.toStdString());
    const auto [r, lines] = analyseListed(path);
    EXPECT_FALSE(r.ok());
    EXPECT_TRUE(r.error.startsWith("cannot read " + path)) << r.error.toStdString();
    EXPECT_TRUE(lines.isEmpty());
  }
  EXPECT_FALSE(QFileInfo::exists(missing)) << "a missing assembly must not be created";
  EXPECT_TRUE(analyseListed(missing).analysis.error.endsWith("No such file or directory"));
}

TEST_F(Analysis, StopRequestGivesNoResult) {
  QByteArray big;
  for (int i = 0; i < 300000; ++i) big += kTwoParts;  // yields come about once per megabyte
  const auto r = analyseListed(write("a.asm", big), [] { return false; }).analysis;
  EXPECT_TRUE(r.stopped);
  EXPECT_FALSE(r.ok());
}

// Real files written by the CAD system, with the names each must give.
TEST(RealAssemblies, GiveTheirComponentNames) {
  const QDir samples(QStringLiteral(KELVARON_SAMPLES_DIR));
  if (!samples.exists()) GTEST_SKIP() << "no sample folder at " << KELVARON_SAMPLES_DIR;
  for (const auto& c : kelvaron::testing::kRealSamples) {
    SCOPED_TRACE(c.file);
    const QString path = samples.filePath(c.file);
    if (!QFileInfo::exists(path)) {
      ADD_FAILURE() << "sample missing: " << path.toStdString();
      continue;
    }
    const auto [r, lines] = analyseListed(path);
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    QStringList names;
    for (const QByteArray& n : c.names) names << QString::fromUtf8(n);
    EXPECT_EQ(lines, QStringList{kHeading} + names);
  }
}

}  // namespace
