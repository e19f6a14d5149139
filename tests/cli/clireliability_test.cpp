// kelvaron-cli against hostile or unlucky conditions: special files, folders
// it may not list, links, paths past the system's limit, signals, closed
// streams, dot names, read-only reports.

#include "cli_testenv.h"

#include <QElapsedTimer>
#include <climits>
#include <csignal>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvaron::clitest {
namespace {

using CliReliability = CliTest;

// Runs `script` with bash in the test folder; $CLI is the binary.
CliResult runShell(const QString& dir, const QString& script) {
  return runCli({"-c", "CLI=" KELVARON_CLI_BINARY "; " + script}, dir, "config-empty", "/bin/bash");
}

// A FIFO hung the run for good; /dev/zero behind a link was read until memory ran out.
TEST_F(CliReliability, SpecialFilesAreRefusedAndTheBatchGoesOn) {
  put("t/a.asm", assemblyBytes({"A1"}));
  ASSERT_EQ(::mkfifo(QFile::encodeName(path("t/b.asm")).constData(), 0644), 0);
  ASSERT_EQ(::symlink("/dev/zero", QFile::encodeName(path("t/c.asm")).constData()), 0);
  const CliResult r = run({"--report-dir", rep(), "t"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, listing({"A1"}, "t/a.asm"));
  EXPECT_EQ(r.err,
            "kelvaron-cli: cannot read t/b.asm: not a regular file\n"
            "kelvaron-cli: cannot read t/c.asm: not a regular file\n");
  EXPECT_EQ(entries(rep()), QStringList{"a__Kelvaron.txt"});
}

// A folder that could not be listed was skipped silently with exit status 0.
TEST_F(CliReliability, AFolderThatCannotBeListedIsAFailure) {
  put("t/a.asm", assemblyBytes({"A1"}));
  put("t/locked/x.asm", assemblyBytes({"X1"}));
  ASSERT_EQ(::chmod(QFile::encodeName(path("t/locked")).constData(), 0), 0);
  // root reads any folder; in a user namespace without mappings it is held to the mode bits.
  CliResult r = ::geteuid() == 0 ? runCli({"-U", KELVARON_CLI_BINARY, "--no-report", "t"}, m_dir.path(), "config-empty",
                                          "/usr/bin/unshare")
                                 : run({"--no-report", "t"});
  ::chmod(QFile::encodeName(path("t/locked")).constData(), 0755);
  if (r.exitCode == 1 && r.err.startsWith("unshare:")) GTEST_SKIP() << "no user namespace for root: " << r.err.data();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, listing({"A1"}, "t/a.asm"));
  EXPECT_EQ(r.err, "kelvaron-cli: cannot search t/locked: Permission denied\n");
  EXPECT_TRUE(r.summary.startsWith("1 file, 1 parts, 0 reports written, 1 failures")) << r.summary.data();
}

// Links to folders were never entered: a linked folder of assemblies was lost.
TEST_F(CliReliability, LinksToFoldersAreEnteredOnce) {
  put("other/b.asm", assemblyBytes({"B1"}));
  put("t/sub/a.asm", assemblyBytes({"A1"}));
  for (const auto& [target, name] :
       {std::pair{"../other", "t/link"}, {"..", "t/sub/up"}, {"nowhere", "t/dangling"}, {"sub/a.asm", "t/file.asm"}}) {
    ASSERT_EQ(::symlink(target, QFile::encodeName(path(name)).constData()), 0) << name;
  }
  const CliResult r = run({"--list", "t"});
  EXPECT_EQ(r.exitCode, 0) << r.err.data();
  EXPECT_EQ(r.out, "t/file.asm\nt/sub/a.asm\nt/link/b.asm\n");  // real folders first
  EXPECT_EQ(r.err, "");
}

// Files deeper than PATH_MAX were found but could not be read, nor a report folder that long used.
TEST_F(CliReliability, PathsPastTheSystemLimitWork) {
  const QString name(200, u'd');
  const int levels = PATH_MAX / 200 + 2;
  QString deep = "t";
  for (int i = 0; i < levels; ++i) deep += "/" + name;
  put("a.asm", assemblyBytes({"DEEP1"}));
  ASSERT_EQ(
      runShell(m_dir.path(), QString("R=$PWD; mkdir t && cd t && for i in $(seq %1); do mkdir %2 && cd %2 || exit 1; "
                                     "done && cp \"$R/a.asm\" .")
                                 .arg(levels)
                                 .arg(name))
          .exitCode,
      0);
  const CliResult r = run({"--report-dir", deep, "t"});
  EXPECT_EQ(r.exitCode, 0) << r.err.data();
  EXPECT_EQ(r.out, listing({"DEEP1"}, (deep + "/a.asm").toUtf8()));
  EXPECT_EQ(runShell(m_dir.path(), "find t -name a__Kelvaron.txt | wc -l").out, "1\n");
}

// A report being written when a signal ended the run was left as a temporary file.
TEST_F(CliReliability, NoTemporaryOutlivesTheProcess) {
  QByteArray big = "#UGC:2 ASSEMBLY 1 1\n#-END_OF_UGC_HEADER\n";
  big.reserve(32 << 20);
  for (int i = 0; big.size() < (32 << 20); ++i) big += "3 3 P" + QByteArray::number(10000000 + i) + "\n";
  put("big.asm", big);
  for (int i = 0; i < 20; ++i) put(QString("many/m%1.asm").arg(i), big.left(2 << 20));
  {  // a reader that goes away: SIGPIPE killed the run mid-report
    const CliResult r = runShell(m_dir.path(),
                                 "\"$CLI\" --report-dir rep many | head -1 >/dev/null; "
                                 "echo \"${PIPESTATUS[0]}\"");
    EXPECT_TRUE(r.out == "0\n" || r.out == "1\n") << r.out.data();
    EXPECT_EQ(r.err, "");
    for (const QString& e : entries(rep())) EXPECT_TRUE(e.endsWith("__Kelvaron.txt")) << e.toStdString();
  }
  const struct { std::vector<int> signals; } cases[] = {{{SIGHUP}}, {{SIGQUIT}}, {{SIGINT, SIGINT}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.signals.size() == 2 ? "second Ctrl-C" : strsignal(c.signals.front()));
    clearReports();
    QProcess p;
    p.setWorkingDirectory(m_dir.path());
    p.start(KELVARON_CLI_BINARY, {"--report-dir", rep(), "big.asm"});
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    while (!out.contains("P10000000\n") && clock.elapsed() < 20000 && p.state() != QProcess::NotRunning) {
      p.waitForReadyRead(100);
      out += p.readAllStandardOutput();
    }
    ASSERT_TRUE(out.contains("P10000000\n")) << "the list had not started";
    for (const int s : c.signals) ::kill(static_cast<pid_t>(p.processId()), s);
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_EQ(entries(rep()), QStringList{});
  }
}

// With stdout and stderr closed, a report took their descriptor and got the messages.
TEST_F(CliReliability, ClosedStandardStreamsKeepMessagesOutOfReports) {
  QStringList args{"--report-dir", "rep", "missing.asm"};
  for (int i = 0; i < 30; ++i) {
    put(QString("f%1.asm").arg(i), assemblyBytes({"A1", "A2"}));
    args << QString("f%1.asm").arg(i) << QString("missing%1.asm").arg(i);
  }
  const CliResult closed = runShell(m_dir.path(), "\"$CLI\" " + args.join(' ') + " >&- 2>&-; echo $?");
  EXPECT_EQ(closed.out, "1\n");
  ASSERT_EQ(entries(rep()).size(), 30);
  for (const QString& report : entries(rep())) {
    EXPECT_FALSE(readBytes(rep() + "/" + report).contains("kelvaron-cli")) << report.toStdString();
  }
}

// A deep tree past the descriptor limit lost files silently; a report past the
// file-size limit killed the run with SIGXFSZ and left its temporary.
TEST_F(CliReliability, SystemLimitsAreFailuresThatSayWhy) {
  QString script = "mkdir t && cd t";
  for (int i = 0; i < 40; ++i) script += " && mkdir d && cd d";
  ASSERT_EQ(runShell(m_dir.path(), script + " && : > a.asm").exitCode, 0);
  CliResult r = runShell(m_dir.path(), "ulimit -n 24; \"$CLI\" --list t; echo $? >&2");
  EXPECT_TRUE(r.err.contains(": Too many open files\n")) << r.err.data();
  EXPECT_TRUE(r.summary.endsWith("\n1")) << r.summary.data();

  QList<QByteArray> many;
  for (int i = 0; i < 2000; ++i) many << "PART_" + QByteArray::number(i);
  put("a.asm", assemblyBytes(many));
  r = runShell(m_dir.path(), "ulimit -f 8; \"$CLI\" --report-dir rep a.asm >/dev/null; echo $? >&2");
  EXPECT_TRUE(
      r.err.contains("kelvaron-cli: cannot write " + QFile::encodeName(rep()) + "/a__Kelvaron.txt: File too large\n"))
      << r.err.data();
  EXPECT_TRUE(r.summary.endsWith("\n1")) << r.summary.data();
  EXPECT_EQ(entries(rep()), QStringList{});
}

// A name such as ".asm" put its report into a subfolder of the report folder (or where a link there pointed).
TEST_F(CliReliability, DotNamesGetOneReportDirectlyInTheReportFolder) {
  const struct {
    const char* file;
    bool assembly;
    const char* report;
  } cases[] = {
      {"proj/.asm", true, "__Kelvaron.txt"},         {"./proj/.asm", true, "__Kelvaron.txt"},
      {"proj/..asm", true, "__Kelvaron.txt"},        {"proj/.hidden.asm.2", false, "__Kelvaron.txt"},
      {"proj/top.asm.3", true, "top__Kelvaron.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    clearReports();
    QDir(m_dir.path()).mkpath("outside");
    ASSERT_EQ(::symlink("../outside", QFile::encodeName(rep() + "/proj").constData()), 0);
    put(QString(c.file).remove("./"), assemblyBytes({"N1"}));
    const CliResult r = run({"--report-dir", rep(), c.file});
    EXPECT_EQ(r.exitCode, 0) << r.err.data();
    EXPECT_EQ(r.out.startsWith(kHeading), c.assembly) << r.out.data();
    QStringList expected{c.report, "proj"};
    expected.sort();
    EXPECT_EQ(entries(rep()), expected);
    EXPECT_EQ(entries(path("outside")), QStringList{});
  }
}

// A read-only report was replaced and came out 0644; a non-UTF-8 path was mangled on line 1.
TEST_F(CliReliability, ReportsKeepModeAndPathBytes) {
  put("a.asm", assemblyBytes({"A1"}));
  put("rep/a__Kelvaron.txt", "old");
  const QByteArray report = QFile::encodeName(rep() + "/a__Kelvaron.txt");
  ASSERT_EQ(::chmod(report.constData(), 0444), 0);
  CliResult r = run({"--report-dir", rep(), "a.asm"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "kelvaron-cli: cannot write " + report + ": the report is read-only\n");
  EXPECT_EQ(readBytes(rep() + "/a__Kelvaron.txt"), "old");
  ASSERT_EQ(::chmod(report.constData(), 0640), 0);
  r = run({"--report-dir", rep(), "a.asm"});
  EXPECT_EQ(r.exitCode, 0);
  struct stat st {};
  ASSERT_EQ(::stat(report.constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);

  const std::string latin1 = QFile::encodeName(m_dir.path()).toStdString() + "/b\xE4.asm";
  std::ofstream(latin1, std::ios::binary) << assemblyBytes({"B1"}).toStdString();
  r = runShell(m_dir.path(), "\"$CLI\" --report-dir rep $'b\\xe4.asm' && head -c 200 $'rep/b\\xe4__Kelvaron.txt'");
  EXPECT_TRUE(r.out.contains(QByteArray::fromStdString(latin1) + "\r\n")) << r.out.toHex().data();
}

// Smaller faults of the summary, --list, JSON and a full disk.
TEST_F(CliReliability, OutputDetails) {
  put("a.asm", assemblyBytes({"A1"}));
  put("t/old.asm.1/x.txt", "");
  put("t/b.asm", assemblyBytes({"B1"}));
  CliResult r = run({"--list", "t"});
  EXPECT_EQ(r.out, "t/b.asm\n");
  EXPECT_EQ(r.err, "kelvaron-cli: skipped t/old.asm.1: a folder, not a file\n");
  r = run({"--json", "--report-dir", "rep", "a.asm"});
  EXPECT_TRUE(r.out.contains("\"report\":\"" + QFile::encodeName(rep()) + "/a__Kelvaron.txt\"")) << r.out.data();
  EXPECT_TRUE(r.summary.startsWith("1 file, 1 parts, 1 reports written, 0 failures")) << r.summary.data();
  r = runShell(m_dir.path(), "\"$CLI\" --no-report a.asm >/dev/full; echo $? >&2");
  EXPECT_TRUE(r.err.contains("kelvaron-cli: cannot write the output: No space left on device\n")) << r.err.data();
  // the summary helper takes the exit status echoed after the summary along with it
  EXPECT_TRUE(r.summary.startsWith("1 file, 1 parts, 0 reports written, 1 failures, ")) << r.summary.data();
  EXPECT_TRUE(r.summary.endsWith("\n1")) << r.summary.data();
}

}  // namespace
}  // namespace kelvaron::clitest

namespace kelvaron::clitest {
namespace {

// "-j1", "--jobs=1" and "--report-dir=DIR" were refused as unknown options.
TEST_F(CliReliability, OptionFormsUsersTypeWithoutThinking) {
  put("a.asm", assemblyBytes({"A1"}));
  put("-x.asm", assemblyBytes({"X1"}));
  const struct {
    QStringList args;
    QByteArray out;
    const char* report;
  } cases[] = {
      {{"-j1", "--report-dir=rep", "a.asm"}, listing({"A1"}), "a__Kelvaron.txt"},
      {{"-j", "1", "--report-dir", "rep", "a.asm"}, listing({"A1"}), "a__Kelvaron.txt"},
      {{"a.asm", "--jobs=1", "--report-dir=rep"}, listing({"A1"}), "a__Kelvaron.txt"},
      {{"--report-dir=rep", "--", "-x.asm"}, listing({"X1"}), "-x__Kelvaron.txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    clearReports();
    const CliResult r = run(c.args);
    EXPECT_EQ(r.exitCode, 0) << r.err.data();
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(entries(rep()), QStringList{c.report});
  }
}

}  // namespace
}  // namespace kelvaron::clitest

namespace kelvaron::clitest {
namespace {

// Several files held their whole output for ordering: a 64 MB file given twice
// with --json took 265 MB; the bound is the largest file plus 64 MB.
TEST_F(CliReliability, MemoryStaysBoundedWithManyFilesAndJobs) {
  if (!QFileInfo::exists("/usr/bin/time")) GTEST_SKIP() << "/usr/bin/time (Debian: time) is missing";
  QByteArray big = "#UGC:2 ASSEMBLY 1 1\n#-END_OF_UGC_HEADER\n";
  big.reserve(64 << 20);
  for (int i = 0; big.size() < (64 << 20); ++i) big += "3 3 P" + QByteArray::number(10000000 + i) + "\n";
  put("big.asm", big);
  for (const QString& args :
       {QStringLiteral("--json -j 2 big.asm big.asm"), QStringLiteral("-j 4 big.asm big.asm big.asm")}) {
    SCOPED_TRACE(args.toStdString());
    const CliResult r = runShell(
        m_dir.path(), "/usr/bin/time -f %M -o peak \"$CLI\" --no-report " + args + " >/dev/null 2>&1; cat peak");
    const long long peakKb = r.out.trimmed().toLongLong();
    ASSERT_GT(peakKb, 0) << r.out.data() << r.err.data();
    EXPECT_LE(peakKb, (64 + 64) * 1024);
  }
}

}  // namespace
}  // namespace kelvaron::clitest
