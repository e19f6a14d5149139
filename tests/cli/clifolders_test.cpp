// kelvaron-cli on folders: the walk, the order of the output, parallel runs,
// --latest, failures inside a tree and a clean stop on a signal.

#include "cli/progress.h"
#include "cli_testenv.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <csignal>
#include <filesystem>

namespace kelvaron::clitest {
namespace {

class CliFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    QDir(m_dir.path()).mkpath("rep");
  }
  QString path(const QString& name) const { return m_dir.filePath(name); }
  QString rep() const { return path("rep"); }
  CliResult run(QStringList args) const { return runCli(args, m_dir.path()); }
  void put(const QString& name, const QList<QByteArray>& parts) {
    QDir(m_dir.path()).mkpath(QFileInfo(path(name)).path());
    writeBytes(path(name), assemblyBytes(parts));
  }
  // Every file under the report folder with its bytes.
  QMap<QString, QByteArray> reports() const {
    QMap<QString, QByteArray> all;
    for (const QString& name : entries(rep())) all.insert(name, readBytes(rep() + "/" + name));
    return all;
  }

  QTemporaryDir m_dir;
};

QByteArray block(const QByteArray& file, const QList<QByteArray>& names) {
  return "==> " + file + " <==\n" + listing(names);
}

TEST_F(CliFolders, FilesAndFoldersMixInWalkOrderAndAFolderMatchIsSkipped) {
  put("tree/b.asm", {"B1"});
  put("tree/A.ASM.2", {"A1", "A2"});
  put("tree/sub/c.asm.1", {"C1"});
  put("tree/sub/deep/d.asm", {"D1"});
  put("tree/readme.txt", {"NOT_AN_ASSEMBLY"});
  QDir(m_dir.path()).mkpath("tree/old.asm.1");
  put("single.asm", {"S1"});
  for (const QString& jobs : {"1", "3"}) {
    SCOPED_TRACE(jobs.toStdString());
    const auto r = run({"--jobs", jobs, "--report-dir", rep(), "single.asm", "tree"});
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    // A folder's own matches come before those of its subfolders, names in
    // case-insensitive order.
    EXPECT_EQ(r.out, block("single.asm", {"S1"}) + "\n" + block("tree/A.ASM.2", {"A1", "A2"}) + "\n" +
                         block("tree/b.asm", {"B1"}) + "\n" + block("tree/sub/c.asm.1", {"C1"}) + "\n" +
                         block("tree/sub/deep/d.asm", {"D1"}));
    EXPECT_EQ(r.err, "kelvaron-cli: skipped tree/old.asm.1: a folder, not a file\n");
    EXPECT_TRUE(r.summary.startsWith("5 files, 6 parts, 5 reports written, 0 failures, ")) << r.summary.constData();
    EXPECT_EQ(entries(rep()), (QStringList{"A__Kelvaron.txt", "b__Kelvaron.txt", "c__Kelvaron.txt",
                                           "d__Kelvaron.txt", "single__Kelvaron.txt"}));
    EXPECT_TRUE(readBytes(rep() + "/A__Kelvaron.txt").contains("\r\n" + kHeading + "\r\nA1\r\nA2\r\n"));
  }
  QDir(rep()).removeRecursively();
  const auto list = run({"--list", "--report-dir", rep(), "single.asm", "tree"});
  EXPECT_EQ(list.exitCode, 0);
  EXPECT_EQ(list.out, "single.asm\ntree/A.ASM.2\ntree/b.asm\ntree/old.asm.1\ntree/sub/c.asm.1\ntree/sub/deep/d.asm\n");
  EXPECT_FALSE(QFileInfo::exists(rep()));
}

TEST_F(CliFolders, AFileThatCannotBeReadFailsAloneAndTheRestIsDone) {
  put("tree/a.asm", {"A1"});
  put("tree/z.asm", {"Z1"});
  std::filesystem::create_symlink(path("tree/gone.asm").toStdString(), path("tree/m.asm").toStdString());
  for (const bool json : {false, true}) {
    SCOPED_TRACE(json);
    QStringList args{"--report-dir", rep(), "tree"};
    if (json) args.prepend("--json");
    const auto r = run(args);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.startsWith("kelvaron-cli: cannot read tree/m.asm: ")) << r.err.constData();
    EXPECT_EQ(r.err.count('\n'), 1);
    EXPECT_TRUE(r.summary.startsWith("3 files, 2 parts, 2 reports written, 1 failures, ")) << r.summary.constData();
    EXPECT_TRUE(r.out.contains("Z1"));
    EXPECT_EQ(entries(rep()), (QStringList{"a__Kelvaron.txt", "z__Kelvaron.txt"}));
  }
}

TEST_F(CliFolders, JsonAndReportsAreTheSameWithOneJobOrMany) {
  // Same bare names in several folders: the report of the last one in walk
  // order must win however the files are shared out.
  for (int i = 0; i < 40; ++i) {
    const QString folder = QStringLiteral("tree/f%1/").arg(i % 7);
    put(folder + QStringLiteral("part%1.asm.%2").arg(i % 5).arg(i), {"P" + QByteArray::number(i), "Q"});
  }
  put("tree/plain.txt.asm.1", {});
  CliResult first;
  QMap<QString, QByteArray> firstReports;
  for (const QString& jobs : {"1", "4"}) {
    SCOPED_TRACE(jobs.toStdString());
    QDir(rep()).removeRecursively();
    QDir(m_dir.path()).mkpath("rep");
    const auto r = run({"--json", "--jobs", jobs, "--report-dir", rep(), "tree"});
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    const QList<QByteArray> lines = r.out.split('\n');
    ASSERT_EQ(lines.size(), 42);  // 41 objects and the empty rest after the last line end
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
      QJsonParseError error;
      const QJsonDocument doc = QJsonDocument::fromJson(lines[i], &error);
      ASSERT_EQ(error.error, QJsonParseError::NoError) << lines[i].constData();
      EXPECT_TRUE(doc.object().value("file").toString().startsWith(path("tree/f")) || i == 0);
    }
    if (jobs == "1") {
      first = r;
      firstReports = reports();
      EXPECT_EQ(firstReports.size(), 6);
      EXPECT_TRUE(firstReports.value("part4__Kelvaron.txt").contains("\r\nP34\r\n"));
    } else {
      EXPECT_EQ(r.out, first.out);
      EXPECT_EQ(reports(), firstReports);
    }
  }
}

TEST_F(CliFolders, LatestKeepsTheHighestVersionPerFolder) {
  put("t/a.asm", {"A0"});
  put("t/a.asm.9", {"A9"});
  put("t/A.asm.10", {"A10"});
  put("t/b.asm.2", {"B2"});
  put("t/u/a.asm.1", {"UA1"});
  struct Case {
    QStringList args;
    QByteArray names;  // the names listed, in order
  };
  const Case cases[] = {
      {{"--latest", "t"}, "A10 B2 UA1"},
      {{"t"}, "A0 A10 A9 B2 UA1"},
      {{"--latest", "t/a.asm.9", "t/a.asm"}, "A9"},
      {{"--latest", "t/a.asm.9", "t/u"}, "A9 UA1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const auto r = run(QStringList{"--no-report", "--json"} + c.args);
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    QByteArrayList names;
    for (const QByteArray& line : r.out.split('\n')) {
      if (line.isEmpty()) continue;
      names << QJsonDocument::fromJson(line).object().value("parts").toArray().at(0).toString().toUtf8();
    }
    EXPECT_EQ(names.join(' '), c.names);
  }
}

TEST_F(CliFolders, ASignalStopsTheRunAndLeavesNoHalfReport) {
  // About 48 MB of records: long enough to be caught mid-scan.
  QByteArray big = "#UGC:2 ASSEMBLY 1 1\n";
  big.reserve(48 << 20);
  for (int i = 0; big.size() < (48 << 20); ++i) big += "3 3 P" + QByteArray::number(10000000 + i) + "\n";
  writeBytes(path("big.asm"), big);
  big.clear();
  put("first.asm", {"F1"});
  put("last.asm", {"L1"});
  for (const int signal : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signal);
    QDir(rep()).removeRecursively();
    QDir(m_dir.path()).mkpath("rep");
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
    EXPECT_LT(clock.elapsed(), 1500) << "stopped within about a second";
    out += p.readAllStandardOutput();
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 130);
    EXPECT_FALSE(out.contains("last.asm"));
    const QByteArray err = p.readAllStandardError();
    EXPECT_TRUE(err.contains("kelvaron-cli: summary: 1 files, 1 parts, 1 reports written, 0 failures, "))
        << err.constData();
    EXPECT_TRUE(err.contains(", interrupted\n"));
    EXPECT_EQ(entries(rep()), QStringList{"first__Kelvaron.txt"});
  }
}

TEST(CliProgress, TheBarShowsShareRateAndTimeLeft) {
  struct Case {
    std::int64_t done, total;
    double seconds;
    std::string line;
  };
  const Case cases[] = {
      {0, 10, 0.0, "[                        ]   0% 0/10 files, 0.0 files/s"},
      {5, 10, 2.5, "[############            ]  50% 5/10 files, 2.0 files/s, 0:03 left"},
      {100, 3700, 1.0, "[                        ]   2% 100/3700 files, 100.0 files/s, 0:36 left"},
      {10, 10, 4.0, "[########################] 100% 10/10 files, 2.5 files/s"},
  };
  for (const Case& c : cases) EXPECT_EQ(cli::progressLine(c.done, c.total, c.seconds), c.line);
}

}  // namespace
}  // namespace kelvaron::clitest
