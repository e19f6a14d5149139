// A parallel run analyses files while the folders are still searched: what it
// prints, in which order (standard output and messages in one stream), and
// the reports it leaves must be those of a run one file at a time.

#include "cli_testenv.h"
#include "common/systemcalls.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvaron::clitest {
namespace {

using CliOverlap = CliTest;

struct Outcome {
  int exitCode = -1;
  QByteArray stream;  // standard output and error as one reader saw them
  QByteArray reports;
};

TEST_F(CliOverlap, ParallelRunsMatchARunOneFileAtATime) {
  KELVARON_SKIP_ON_WINDOWS("symbolic links need a privilege and folder access is an ACL there");
  // t1 is analysed while t2 (many files) is searched; t3 cannot be listed, so
  // its message comes from the search, after t1's failure was known.
  put("t1/a.asm", assemblyBytes({"A1"}));
  ASSERT_EQ(testing::makeSymlink("nowhere", QFile::encodeName(path("t1/gone.asm")).constData()), 0);
  put("t1/same.asm", assemblyBytes({"FIRST"}));
  for (int i = 0; i < 300; ++i) put(QString("t2/d%1/p%1.asm").arg(i), assemblyBytes({"P" + QByteArray::number(i)}));
  put("t2/same.asm", assemblyBytes({"SECOND"}));
  put("t3/x.asm", assemblyBytes({"X1"}));
  ASSERT_EQ(::chmod(QFile::encodeName(path("t3")).constData(), 0), 0);

  const auto runWith = [&](const QString& options) {
    clearReports();
    const QString script =
        QStringLiteral("\"%1\" %2 --report-dir rep t1 t2 t3 2>&1").arg(QStringLiteral(KELVARON_CLI_BINARY), options);
    // root reads any folder; in a user namespace without mappings it is held to the mode bits.
    const CliResult r =
        testing::runsAsRoot() ? runCli({"-U", "/bin/bash", "-c", script}, m_dir.path(), "config-empty", "/usr/bin/unshare")
                         : runCli({"-c", script}, m_dir.path(), "config-empty", "/bin/bash");
    QString stream = QString::fromUtf8(r.out);
    stream.replace(QRegularExpression(QStringLiteral("[0-9]+\\.[0-9]+ s\n$")), QStringLiteral("T s\n"));
    Outcome outcome{r.exitCode, stream.toUtf8(), {}};
    for (QDirIterator it(rep(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
      const QString file = it.next();
      outcome.reports += file.toUtf8() + "\n" + readBytes(file);
    }
    return outcome;
  };

  for (const QString& format : {QString(), QStringLiteral("--json")}) {
    const Outcome one = runWith("--jobs=1 " + format);
    if (one.stream.startsWith("unshare:")) GTEST_SKIP() << "no user namespace for root: " << one.stream.data();
    ASSERT_EQ(one.exitCode, 1) << one.stream.data();
    ASSERT_TRUE(one.stream.contains("cannot search t3") && one.stream.contains("cannot read t1/gone.asm"))
        << one.stream.data();
    ASSERT_TRUE(one.stream.contains("SECOND")) << one.stream.data();
    for (const QString& jobs : {QStringLiteral("--jobs=2"), QStringLiteral("--jobs=4")}) {
      SCOPED_TRACE((jobs + " " + format).toStdString());
      const Outcome many = runWith(jobs + " " + format);
      EXPECT_EQ(many.exitCode, one.exitCode);
      EXPECT_EQ(many.stream.toStdString(), one.stream.toStdString());
      EXPECT_EQ(many.reports.toStdString(), one.reports.toStdString());
    }
  }
  ::chmod(QFile::encodeName(path("t3")).constData(), 0755);
}

}  // namespace
}  // namespace kelvaron::clitest
