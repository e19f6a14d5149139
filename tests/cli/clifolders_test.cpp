// kelvaron-cli on folders: walk order, parallel runs, failures inside a tree,
// --latest, a clean stop on a signal, and the progress line.

#include "cli/progress.h"
#include "cli_testenv.h"

#include <filesystem>

namespace kelvaron::clitest {
namespace {

using CliFolders = CliTest;

TEST_F(CliFolders, WalkOrderReportsAndFailuresAreTheSameForOneJobOrMany) {
  // The first file is slow to scan, so parallel runs finish out of order; the
  // same report name in two folders goes to the later one in walk order.
  put("tree/A.ASM.2", "3 3 A1\n" + QByteArray(8 << 20, '.') + "\n3 3 A2\n");
  put("tree/b.asm", assemblyBytes({"B1"}));
  put("tree/sub/c.asm.1", assemblyBytes({"C1"}));
  put("tree/sub/c.asm.2", assemblyBytes({"C2"}));
  put("tree/sub/b.asm.3", assemblyBytes({"B3"}));
  put("tree/old.asm.1/deep/d.asm", assemblyBytes({"D1"}));
  put("tree/readme.txt", assemblyBytes({"NOT_AN_ASSEMBLY"}));
  put("single.asm", assemblyBytes({"S1"}));
  std::filesystem::create_symlink(path("tree/nowhere").toStdString(), path("tree/sub/gone.asm").toStdString());
  std::filesystem::create_symlink("old.asm.1", path("tree/link.asm.2").toStdString());
  for (const QStringList& jobs : {QStringList{"-j", "1"}, QStringList{"--jobs=3"}}) {
    SCOPED_TRACE(jobs.join(' ').toStdString());
    clearReports();
    const auto r = run(jobs + QStringList{"--report-dir", rep(), "single.asm", "tree"});
    EXPECT_EQ(r.exitCode, 1);
    // A folder's own matches come before those of its subfolders, names in
    // case-insensitive order; the folder named like an assembly is entered.
    EXPECT_EQ(r.out, listing({"S1"}, "single.asm") + "\n" + listing({"A1", "A2"}, "tree/A.ASM.2") + "\n" +
                         listing({"B1"}, "tree/b.asm") + "\n" + listing({"D1"}, "tree/old.asm.1/deep/d.asm") + "\n" +
                         listing({"B3"}, "tree/sub/b.asm.3") + "\n" + listing({"C1"}, "tree/sub/c.asm.1") + "\n" +
                         listing({"C2"}, "tree/sub/c.asm.2"));
    EXPECT_TRUE(r.err.startsWith("kelvaron-cli: skipped tree/link.asm.2: a folder, not a file\n"
                                 "kelvaron-cli: skipped tree/old.asm.1: a folder, not a file\n"
                                 "kelvaron-cli: cannot read tree/sub/gone.asm: ") &&
                r.err.count('\n') == 3)
        << r.err.constData();
    EXPECT_TRUE(r.summary.startsWith("8 files, 8 parts, 7 reports written, 1 failures, ") &&
                r.summary.endsWith(" s, 2 folders skipped"))
        << r.summary.constData();
    EXPECT_EQ(entries(rep()), (QStringList{"A__Kelvaron.txt", "b__Kelvaron.txt", "c__Kelvaron.txt", "d__Kelvaron.txt",
                                           "single__Kelvaron.txt"}));
    EXPECT_TRUE(readBytes(rep() + "/b__Kelvaron.txt").contains("\r\nB3\r\n"));
    EXPECT_TRUE(readBytes(rep() + "/c__Kelvaron.txt").contains("\r\nC2\r\n"));
  }
  QDir(rep()).removeRecursively();
  // --latest keeps the highest version of each name in each folder.
  const auto list = run({"--list", "--latest", "--report-dir", rep(), "single.asm", "tree"});
  EXPECT_EQ(list.exitCode, 0);
  EXPECT_EQ(list.out,
            "single.asm\ntree/A.ASM.2\ntree/b.asm\ntree/old.asm.1/deep/d.asm\n"
            "tree/sub/b.asm.3\ntree/sub/c.asm.2\ntree/sub/gone.asm\n");
  EXPECT_FALSE(QFileInfo::exists(rep()));
}

TEST_F(CliFolders, ASignalStopsTheRunAndLeavesNoHalfReport) {
  // About 48 MB of records: long enough to be caught mid-scan, so a stop that
  // waited for the file would leave its report.
  put("big.asm", bigAssembly(48));
  put("first.asm", assemblyBytes({"F1"}));
  put("last.asm", assemblyBytes({"L1"}));
  // Per signal: the exit status, the reports, how often last.asm was listed, the summary line.
  const CliResult r = shell(
      "for s in INT TERM HUP QUIT; do rm -f rep/*; \"$CLI\" -j 1 --report-dir rep first.asm big.asm last.asm >out "
      "2>err &"
      " until grep -q P10000000 out || ! kill -0 $! 2>/dev/null; do sleep 0.01; done; kill -$s $!; wait $!;"
      " echo $s $? $(ls rep) $(grep -c last.asm out) $(grep -c '^kelvaron-cli: summary: 1 file, 1 parts, 1 reports"
      " written, 0 failures, .*, interrupted$' err); done");
  EXPECT_EQ(r.out,
            "INT 130 first__Kelvaron.txt 0 1\nTERM 130 first__Kelvaron.txt 0 1\n"
            "HUP 130 first__Kelvaron.txt 0 1\nQUIT 130 first__Kelvaron.txt 0 1\n");
}

TEST(CliProgress, TheBarShowsShareRateAndTimeLeft) {
  EXPECT_EQ(cli::progressLine(5, 10, 2.5), "[############            ]  50% 5/10 files, 2.0 files/s, 0:03 left");
  EXPECT_EQ(cli::progressLine(100, 3700, 1.0),
            "[                        ]   2% 100/3700 files, 100.0 files/s, 0:36 left");
  EXPECT_EQ(cli::progressLine(10, 10, 4.0), "[########################] 100% 10/10 files, 2.5 files/s");
}

}  // namespace
}  // namespace kelvaron::clitest
