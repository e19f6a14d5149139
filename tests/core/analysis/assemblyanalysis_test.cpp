#include "analysis/assemblyanalysis.h"
#include "common/scanall.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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

}  // namespace
