// kelvaron-cli on folders and under hostile or unlucky conditions: walk order,
// parallel runs, failures inside a tree, --latest, a clean stop on a signal,
// the progress line, folders it may not list, closed streams, system limits,
// dot names, memory with many big files (special files are the platform
// tests' business).

#include "cli/progress.h"
#include "cli_testenv.h"
#include "common/systemcalls.h"

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvaron::clitest {
namespace {

using CliFolders = CliTest;

TEST_F(CliFolders, WalkOrderReportsAndFailuresAreTheSameForOneJobOrMany) {
  KELVARON_SKIP_ON_WINDOWS("symbolic links need a privilege there");
  // The first file is slow to scan, so parallel runs finish out of order; the
  // same report name in two folders goes to the later one in walk order.
  put("tree/A.ASM.2", "3 3 A1\n" + QByteArray(8 << 20, '.') + "\n3 3 A2\n");
  for (const QString fileAndName :
       {"tree/b.asm B1", "tree/sub/c.asm.1 C1", "tree/sub/c.asm.2 C2", "tree/sub/b.asm.3 B3",
        "tree/old.asm.1/deep/d.asm D1", "tree/readme.txt NOT_AN_ASSEMBLY", "single.asm S1"})
    put(fileAndName.section(' ', 0, 0), assemblyBytes({fileAndName.section(' ', 1).toUtf8()}));
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
  KELVARON_SKIP_ON_WINDOWS("signals are sent from a POSIX shell; Ctrl+C is a console event there");
  // About 48 MB of records: long enough to be caught mid-scan, so a stop that
  // waited for the file would leave its report.
  put("big.asm", bigAssembly(48));
  put("first.asm", assemblyBytes({"F1"}));
  put("last.asm", assemblyBytes({"L1"}));
  // Per signal: the exit status, the reports, how often last.asm was listed, the summary line.
  const CliResult r = shell(
      "for s in INT TERM HUP QUIT; do rm -f rep/* out err; \"$CLI\" -j 1 --report-dir rep first.asm big.asm last.asm "
      ">out "
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

using CliReliability = CliTest;

// A folder that could not be listed was skipped silently with exit status 0.
TEST_F(CliReliability, AFolderThatCannotBeListedIsAFailure) {
  KELVARON_SKIP_ON_WINDOWS("folder access is an ACL, not mode bits");
  put("t/a.asm", assemblyBytes({"A1"}));
  put("t/locked/x.asm", assemblyBytes({"X1"}));
  ASSERT_EQ(::chmod(QFile::encodeName(path("t/locked")).constData(), 0), 0);
  // root reads any folder; in a user namespace without mappings it is held to the mode bits.
  const CliResult r = shell(QString(testing::runsAsRoot() ? "unshare -U " : "") + "\"$CLI\" --no-report t");
  ::chmod(QFile::encodeName(path("t/locked")).constData(), 0755);
  if (r.exitCode == 1 && r.err.startsWith("unshare:")) GTEST_SKIP() << "no user namespace for root: " << r.err.data();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, listing({"A1"}, "t/a.asm"));
  EXPECT_EQ(r.err, "kelvaron-cli: cannot search t/locked: Permission denied\n");
}

// With stdout and stderr closed, the files opened next took their descriptors:
// the list went into the report folder's descriptor and failed, messages into reports.
TEST_F(CliReliability, ClosedStandardStreamsAreReopened) {
  KELVARON_SKIP_ON_WINDOWS("runs the CLI from a POSIX shell");
  put("a.asm", assemblyBytes({"A1"}));
  CliResult r = shell("\"$CLI\" --report-dir rep a.asm missing.asm >&-");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "kelvaron-cli: cannot read missing.asm: No such file or directory\n");
  EXPECT_TRUE(r.summary.startsWith("2 files, 1 parts, 1 reports written, 1 failures")) << r.summary.data();
  QStringList args{"--report-dir", "rep", "missing.asm"};
  for (int i = 0; i < 10; ++i) {
    put(QString("f%1.asm").arg(i), assemblyBytes({"A1"}));
    args << QString("f%1.asm").arg(i) << QString("missing%1.asm").arg(i);
  }
  clearReports();
  EXPECT_EQ(shell("\"$CLI\" " + args.join(' ') + " >&- 2>&-; echo $?").out, "1\n");
  ASSERT_EQ(entries(rep()).size(), 10);
  for (const QString& report : entries(rep()))
    EXPECT_FALSE(readBytes(rep() + "/" + report).contains("kelvaron-cli")) << report.toStdString();
}

// Lost descriptors lost files silently; a report past the file-size limit
// (SIGXFSZ), a full disk or a reader that went away (SIGPIPE) ended the run badly.
TEST_F(CliReliability, SystemLimitsAreFailuresThatSayWhy) {
  KELVARON_SKIP_ON_WINDOWS("ulimit, /dev/full and SIGPIPE are POSIX");
  put("t" + QString("/d").repeated(40) + "/a.asm", "");
  for (int i = 0; i < 8; ++i) put(QString("m/m%1.asm").arg(i), assemblyBytes(QList<QByteArray>(2000, "PART")));
  const struct {
    const char* script;
    QByteArray err;      // a piece of standard error; empty: nothing on it
    const char* status;  // the exit statuses allowed
  } cases[] = {
      {"ulimit -n 24; \"$CLI\" --list t >/dev/null", ": Too many open files\n", "1"},
      {"ulimit -f 8; \"$CLI\" --report-dir rep m/m0.asm >/dev/null", "/rep/m0__Kelvaron.txt: File too large\n", "1"},
      {"\"$CLI\" --no-report m/m0.asm >/dev/full", "kelvaron-cli: cannot write the output: No space left on device\n",
       "1"},
      {"\"$CLI\" --no-report m | head -1 >/dev/null; (exit ${PIPESTATUS[0]})", "", "01"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    const CliResult r = shell(QString(c.script) + "; echo $?");
    EXPECT_TRUE(c.err.isEmpty() ? r.err.isEmpty() : r.err.contains(c.err)) << r.err.data();
    EXPECT_TRUE(r.out.size() == 2 && QByteArray(c.status).contains(r.out.at(0))) << r.out.data();
  }
  EXPECT_EQ(entries(rep()), QStringList{});
}

// A name such as ".asm" put its report into a subfolder of the report folder (or where a link there pointed).
TEST_F(CliReliability, DotNamesGetOneReportDirectlyInTheReportFolder) {
  KELVARON_SKIP_ON_WINDOWS("symbolic links need a privilege there");
  QDir(m_dir.path()).mkpath("outside");
  ASSERT_EQ(testing::makeSymlink("../outside", QFile::encodeName(rep() + "/proj").constData()), 0);
  for (const char* file : {"proj/.asm", "proj/..asm", "proj/.hidden.asm.2"}) put(file, assemblyBytes({"N1"}));
  const CliResult r = run({"--report-dir", rep(), "./proj/.asm", "proj/..asm", "proj/.hidden.asm.2"});
  EXPECT_EQ(r.exitCode, 0) << r.err.data();
  EXPECT_EQ(r.out,
            listing({"N1"}, "./proj/.asm") + "\n" + listing({"N1"}, "proj/..asm") + "\n==> proj/.hidden.asm.2 <==\n");
  EXPECT_EQ(entries(rep()), (QStringList{"__Kelvaron.txt", "proj"}));
  EXPECT_EQ(entries(path("outside")), QStringList{});
}

// Several files held their whole output for ordering: a 64 MB file given twice
// with --json took 265 MB; the bound is the largest file plus 64 MB.
TEST_F(CliReliability, MemoryStaysBoundedWithManyFilesAndJobs) {
  KELVARON_SKIP_ON_WINDOWS("measured with /usr/bin/time");
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "under AddressSanitizer the peak memory is the sanitizer's, not the program's";
#endif
  if (!QFileInfo::exists("/usr/bin/time")) GTEST_SKIP() << "/usr/bin/time (Debian: time) is missing";
  put("big.asm", bigAssembly(64));
  for (const char* args : {"--json -j 2 big.asm big.asm", "-j 4 big.asm big.asm big.asm"}) {
    SCOPED_TRACE(args);
    const CliResult r =
        shell(QString("/usr/bin/time -f %M -o peak \"$CLI\" --no-report ") + args + " >/dev/null 2>&1; cat peak");
    ASSERT_GT(r.out.trimmed().toLongLong(), 0) << r.out.data() << r.err.data();
    EXPECT_LE(r.out.trimmed().toLongLong(), (64 + 64) * 1024);
  }
}

}  // namespace
}  // namespace kelvaron::clitest
