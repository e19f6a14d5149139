// kelvaron-cli against hostile or unlucky conditions (special files are the
// platform tests' business): folders it may not list, closed streams, system limits, dot names, option
// forms, memory with many big files.

#include "cli_testenv.h"

#include <sys/stat.h>
#include <unistd.h>

namespace kelvaron::clitest {
namespace {

using CliReliability = CliTest;

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
}

// With stdout and stderr closed, the files opened next took their descriptors:
// the list went into the report folder's descriptor and failed, messages into reports.
TEST_F(CliReliability, ClosedStandardStreamsAreReopened) {
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
  QString deep = "mkdir t && cd t";
  for (int i = 0; i < 40; ++i) deep += " && mkdir d && cd d";
  ASSERT_EQ(shell(deep + " && : > a.asm").exitCode, 0);
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
  QDir(m_dir.path()).mkpath("outside");
  ASSERT_EQ(::symlink("../outside", QFile::encodeName(rep() + "/proj").constData()), 0);
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
