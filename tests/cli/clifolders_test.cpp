// kelvaron-cli on folders: walk order, parallel runs, failures inside a tree,
// --latest, a clean stop on a signal, and the progress line.

#include "cli/progress.h"
#include "cli_testenv.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <csignal>
#include <filesystem>

namespace kelvaron::clitest {
namespace {

using CliFolders = CliTest;

TEST_F(CliFolders, FilesAndFoldersMixInWalkOrderAndAFolderMatchIsSkipped) {
  put("tree/b.asm", assemblyBytes({"B1"}));
  put("tree/A.ASM.2", assemblyBytes({"A1", "A2"}));
  put("tree/sub/c.asm.1", assemblyBytes({"C1"}));
  put("tree/old.asm.1/deep/d.asm", assemblyBytes({"D1"}));
  put("tree/readme.txt", assemblyBytes({"NOT_AN_ASSEMBLY"}));
  put("single.asm", assemblyBytes({"S1"}));
  for (const QStringList& jobs : {QStringList{"-j", "1"}, QStringList{"--jobs=3"}}) {
    SCOPED_TRACE(jobs.join(' ').toStdString());
    clearReports();
    const auto r = run(jobs + QStringList{"--report-dir", rep(), "single.asm", "tree"});
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    // A folder's own matches come before those of its subfolders, names in
    // case-insensitive order; the folder named like an assembly is entered.
    EXPECT_EQ(r.out, listing({"S1"}, "single.asm") + "\n" + listing({"A1", "A2"}, "tree/A.ASM.2") + "\n" +
                         listing({"B1"}, "tree/b.asm") + "\n" + listing({"D1"}, "tree/old.asm.1/deep/d.asm") + "\n" +
                         listing({"C1"}, "tree/sub/c.asm.1"));
    EXPECT_EQ(r.err, "kelvaron-cli: skipped tree/old.asm.1: a folder, not a file\n");
    EXPECT_TRUE(r.summary.startsWith("5 files, 6 parts, 5 reports written, 0 failures, ")) << r.summary.constData();
    EXPECT_TRUE(r.summary.endsWith(" s, 1 folders skipped")) << r.summary.constData();
    EXPECT_EQ(entries(rep()), (QStringList{"A__Kelvaron.txt", "b__Kelvaron.txt", "c__Kelvaron.txt", "d__Kelvaron.txt",
                                           "single__Kelvaron.txt"}));
  }
  QDir(rep()).removeRecursively();
  const auto list = run({"--list", "--report-dir", rep(), "single.asm", "tree"});
  EXPECT_EQ(list.exitCode, 0);
  EXPECT_EQ(list.out,
            "single.asm\ntree/A.ASM.2\ntree/b.asm\ntree/old.asm.1/deep/d.asm\n"
            "tree/sub/c.asm.1\n");
  EXPECT_FALSE(QFileInfo::exists(rep()));
}

TEST_F(CliFolders, OneJobOrManyGiveTheSameOutputAndReportsAndAVanishedFileFailsAlone) {
  // Same bare names in several folders: the report of the last one in walk
  // order must win however the files are shared out.
  for (int i = 0; i < 40; ++i) {
    put(QStringLiteral("tree/f%1/part%2.asm.%3").arg(i % 7).arg(i % 5).arg(i),
        assemblyBytes({"P" + QByteArray::number(i), "Q"}));
  }
  put("tree/plain.txt.asm.1", "");
  std::filesystem::create_symlink(path("tree/gone.asm").toStdString(), path("tree/f3/m.asm").toStdString());
  const auto reports = [&] {
    QMap<QString, QByteArray> all;
    for (const QString& name : entries(rep())) all.insert(name, readBytes(rep() + "/" + name));
    return all;
  };
  const auto one = run({"--json", "--jobs", "1", "--report-dir", rep(), "tree"});
  EXPECT_EQ(one.exitCode, 1);
  EXPECT_EQ(one.out.count('\n'), 42);
  EXPECT_TRUE(one.err.startsWith("kelvaron-cli: cannot read tree/f3/m.asm: ") && one.err.count('\n') == 1)
      << one.err.constData();
  EXPECT_TRUE(one.summary.startsWith("42 files, 80 parts, 41 reports written, 1 failures, "))
      << one.summary.constData();
  const auto oneReports = reports();
  EXPECT_EQ(oneReports.size(), 6);
  EXPECT_TRUE(oneReports.value("part4__Kelvaron.txt").contains("\r\nP34\r\n"));
  clearReports();
  const auto many = run({"--json", "--jobs", "4", "--report-dir", rep(), "tree"});
  EXPECT_EQ(many.exitCode, 1);
  EXPECT_EQ(many.out, one.out);
  EXPECT_EQ(many.err, one.err);
  EXPECT_EQ(reports(), oneReports);
}

TEST_F(CliFolders, LatestKeepsTheHighestVersionPerFolder) {
  put("t/a.asm", assemblyBytes({"A0"}));
  put("t/a.asm.9", assemblyBytes({"A9"}));
  put("t/A.asm.10", assemblyBytes({"A10"}));
  put("t/b.asm.2", assemblyBytes({"B2"}));
  put("t/u/a.asm.1", assemblyBytes({"UA1"}));
  const struct {
    QStringList args;
    QByteArray names;  // the first part of each file, in order
  } cases[] = {
      {{"--latest", "t"}, "A10 B2 UA1"},
      {{"t"}, "A0 A10 A9 B2 UA1"},
      {{"--latest", "t/a.asm.9", "t/a.asm"}, "A9"},
      {{"--latest", "t/a.asm.9", "t/u"}, "A9 UA1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const auto r = run(QStringList{"--no-report", "--json"} + c.args);
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    QByteArrayList names;
    for (const QByteArray& line : r.out.split('\n')) {
      if (!line.isEmpty()) names << QJsonDocument::fromJson(line)["parts"][0].toString().toUtf8();
    }
    EXPECT_EQ(names.join(' '), c.names);
  }
}

TEST_F(CliFolders, ASignalStopsTheRunAndLeavesNoHalfReport) {
  // About 48 MB of records: long enough to be caught mid-scan.
  QByteArray big = "#UGC:2 ASSEMBLY 1 1\n";
  big.reserve(48 << 20);
  for (int i = 0; big.size() < (48 << 20); ++i) big += "3 3 P" + QByteArray::number(10000000 + i) + "\n";
  put("big.asm", big);
  put("first.asm", assemblyBytes({"F1"}));
  put("last.asm", assemblyBytes({"L1"}));
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    SCOPED_TRACE(signal);
    clearReports();
    QProcess p;
    p.setWorkingDirectory(m_dir.path());
    p.start(KELVARON_CLI_BINARY, {"--jobs", "1", "--report-dir", rep(), "first.asm", "big.asm", "last.asm"});
    QByteArray out;
    QElapsedTimer clock;
    clock.start();
    while (!out.contains("P10000000\n") && clock.elapsed() < 20000 && p.state() != QProcess::NotRunning) {
      p.waitForReadyRead(100);
      out += p.readAllStandardOutput();
    }
    ASSERT_TRUE(out.contains("==> big.asm <==")) << "the big file's list had not started";
    ::kill(static_cast<pid_t>(p.processId()), signal);
    clock.restart();
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_LT(clock.elapsed(), 3000) << "within about a second, with room for a loaded machine";
    EXPECT_EQ(p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, 130);
    EXPECT_FALSE(p.readAllStandardOutput().contains("last.asm"));
    const QByteArray err = p.readAllStandardError();
    EXPECT_TRUE(err.contains("kelvaron-cli: summary: 1 file, 1 parts, 1 reports written, 0 failures, ") &&
                err.endsWith(", interrupted\n"))
        << err.constData();
    EXPECT_EQ(entries(rep()), QStringList{"first__Kelvaron.txt"});
  }
}

TEST(CliProgress, TheBarShowsShareRateAndTimeLeft) {
  const struct {
    std::int64_t done, total;
    double seconds;
    std::string line;
  } cases[] = {
      {5, 10, 2.5, "[############            ]  50% 5/10 files, 2.0 files/s, 0:03 left"},
      {100, 3700, 1.0, "[                        ]   2% 100/3700 files, 100.0 files/s, 0:36 left"},
      {10, 10, 4.0, "[########################] 100% 10/10 files, 2.5 files/s"},
  };
  for (const auto& c : cases) EXPECT_EQ(cli::progressLine(c.done, c.total, c.seconds), c.line);
}

}  // namespace
}  // namespace kelvaron::clitest
