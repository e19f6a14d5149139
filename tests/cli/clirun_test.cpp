// kelvaron-cli end to end on files: command line, exit status, text and JSON
// output, reports written or not.

#include "cli_testenv.h"
#include "platform/nativepath.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <fstream>

namespace kelvaron::clitest {
namespace {

using CliRun = CliTest;

TEST_F(CliRun, CommandLine) {
  put("a.asm", assemblyBytes({"X1"}));
  const QByteArray needsJobs = "kelvaron-cli: option '--jobs' needs a number from 1 to 256\nTry 'kelvaron-cli --help'";
  const struct {
    QStringList args;
    int exit;
    QByteArray out, err;  // how standard output and standard error start
  } cases[] = {
      {{"--json"}, 2, "", "kelvaron-cli: no FILE given\nTry 'kelvaron-cli --help'"},
      {{"--bogus", "a.asm"}, 2, "", "kelvaron-cli: unknown option '--bogus'\n"},
      {{"a.asm", "--report-dir"}, 2, "", "kelvaron-cli: option '--report-dir' needs a folder\nTry"},
      {{"--report-dir=", "a.asm"}, 2, "", "kelvaron-cli: option '--report-dir' needs a folder\nTry"},
      {{"-j", "a.asm"}, 2, "", needsJobs},
      {{"--jobs", "257", "a.asm"}, 2, "", needsJobs},
      {{"--version", "-h", "--bogus"}, 0, "Usage: kelvaron-cli [OPTION]... FILE|FOLDER...\n", ""},
      {{"--version"}, 0, QByteArray("kelvaron-cli ") + KELVARON_VERSION + "\n", ""},
      {{"--no-report", "--", "--json"}, 1, "", "kelvaron-cli: cannot read --json: "},
  };
  for (const auto& c : cases) {
    const auto r = run(c.args);
    EXPECT_EQ(r.exitCode, c.exit) << c.args.join(' ').toStdString();
    EXPECT_TRUE(r.out.startsWith(c.out) && c.out.isEmpty() == r.out.isEmpty()) << r.out.constData();
    EXPECT_TRUE(r.err.startsWith(c.err) && c.err.isEmpty() == r.err.isEmpty()) << r.err.constData();
  }
  EXPECT_TRUE(entries(rep()).isEmpty() && entries(sharedFolder("home")).isEmpty());
}

TEST_F(CliRun, EachFileIsListedAndReportedAndAFailureDoesNotStopTheOthers) {
  put("a.asm", assemblyBytes({"X1"}));
  put("b.txt", assemblyBytes({"NOT_SCANNED"}));
  put("c.ASM", assemblyBytes({"Y1", "Y2"}));
  put("plainfile", "x");
  // A folder holds the report's name: the temporary file is written, the rename fails.
  QDir(m_dir.path()).mkpath("blocked/a__Kelvaron.txt");
  const auto cannotWrite = [&](const QString& folder) {
    return "kelvaron-cli: cannot write " + QFile::encodeName(path(folder)) + "/a__Kelvaron.txt: ";
  };
  const QByteArray x1 = listing({"X1"});
  const struct {
    QStringList args;
    int exit;
    QByteArray out;
    QByteArray err;  // how the one message line starts; empty: no message
    QStringList reports;
  } cases[] = {
      {{"--report-dir=" + rep(), "a.asm"}, 0, x1, "", {"a__Kelvaron.txt"}},
      {{"--no-report", "a.asm"}, 0, x1, "", {}},
      {{"--report-dir", path("missing"), "a.asm"}, 1, x1, cannotWrite("missing"), {}},
      {{"--report-dir", path("plainfile"), "a.asm"}, 1, x1, cannotWrite("plainfile"), {}},
      {{"--report-dir", path("blocked"), "a.asm"}, 1, x1, cannotWrite("blocked"), {}},
      {{"--report-dir", rep(), ""}, 1, "", "kelvaron-cli: cannot read : ", {}},
      {{"a.asm", "--report-dir", rep(), "no/such.asm.1", "b.txt", "c.ASM"},
       1,
       listing({"X1"}, "a.asm") + "\n==> b.txt <==\n\n" + listing({"Y1", "Y2"}, "c.ASM"),
       "kelvaron-cli: cannot read no/such.asm.1: ",
       {"a__Kelvaron.txt", "b__Kelvaron.txt", "c__Kelvaron.txt"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    clearReports();
    const auto r = run(c.args);
    EXPECT_EQ(r.exitCode, c.exit);
    EXPECT_EQ(r.out, c.out);
    // One line that names the file and gives a reason.
    EXPECT_TRUE(c.err.isEmpty() ? r.err.isEmpty()
                                : r.err.startsWith(c.err) && r.err.count('\n') == 1 && r.err.size() > c.err.size() + 1)
        << r.err.constData();
    EXPECT_EQ(entries(rep()), c.reports);
  }
  // Nothing was created besides the reports: no missing input, folder or temporary file.
  EXPECT_EQ(entries(m_dir.path()), (QStringList{"a.asm", "b.txt", "blocked", "c.ASM", "plainfile", "rep"}));
  EXPECT_EQ(entries(path("blocked")), QStringList{"a__Kelvaron.txt"});
  EXPECT_TRUE(entries(path("blocked/a__Kelvaron.txt")).isEmpty() && entries(sharedFolder("home")).isEmpty());
  // From the last run: line 1 is the full path though a relative one was given;
  // a file that is not an assembly gets a report without a list (5 lines).
  const QByteArray report = readBytes(rep() + "/a__Kelvaron.txt");
  EXPECT_TRUE(report.startsWith(QFile::encodeName(path("a.asm")) + "\r\n" + QByteArray(50, '-') + "\r\n\r\r\n" +
                                kHeading + "\r\nX1\r\n"))
      << report.constData();
  EXPECT_EQ(readBytes(rep() + "/b__Kelvaron.txt").count("\r\n"), 5);
}

TEST_F(CliRun, JsonGivesOneEscapedObjectPerFile) {
  const struct {
    QByteArray name;    // native bytes, possibly not UTF-8
    QByteArray report;  // empty: null
    QList<QByteArray> written;
    QStringList parts;  // none: not an assembly
  } expected[] = {
      {"we\"ird\\na\tme.asm",
       "we\"ird\\na\tme__Kelvaron.txt",
       {"GEH\xC4USE",
        "D\xDC"
        "SE_1.5"},
       {u"GEHÄUSE"_qs, u"DÜSE_15"_qs}},
      {"caf\xE9.asm.2", "caf\xE9__Kelvaron.txt", {"A"}, {"A"}},
      {"notes.txt", "notes__Kelvaron.txt", {"B"}, {}},
      {"gone.asm", "", {}, {}},
  };
  const QByteArray dir = QFile::encodeName(m_dir.path()) + "/";
  const auto native = [](const QByteArray& b) { return platform::fromNativeBytes(b.toStdString()); };
  for (int i = 0; i < 3; ++i)
    std::ofstream(std::string(dir + expected[i].name), std::ios::binary)
        << assemblyBytes(expected[i].written).toStdString();
  // QProcess passes arguments as UTF-8: the name that is not reaches the program through a shell pattern.
  const auto r = runCli({"-c", "exec \"$0\" --json --report-dir \"$1\" \"$2\" caf?.asm.2 notes.txt gone.asm",
                         KELVARON_CLI_BINARY, rep(), QString::fromUtf8(expected[0].name)},
                        m_dir.path(), "config-empty", "/bin/sh");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.startsWith("kelvaron-cli: cannot read gone.asm: ")) << r.err.constData();
  const QList<QByteArray> lines = r.out.split('\n');
  ASSERT_EQ(lines.size(), 5) << r.out.constData();
  for (int i = 0; i < 4; ++i) {
    const auto& e = expected[i];
    QJsonParseError pe;
    const QJsonObject o = QJsonDocument::fromJson(lines[i], &pe).object();
    ASSERT_EQ(pe.error, QJsonParseError::NoError) << lines[i].constData();
    EXPECT_EQ(o.keys(), (QStringList{"assembly", "components", "error", "file", "format", "notes", "parts", "report"}));
    EXPECT_EQ(o["file"].toString(), native(dir + e.name));
    EXPECT_EQ(o["report"].toString(), e.report.isEmpty() ? "" : native(QFile::encodeName(rep()) + "/" + e.report));
    EXPECT_EQ(o["report"].isNull(), e.report.isEmpty());
    EXPECT_EQ(std::filesystem::exists(platform::toNativePath(o["report"].toString())), !e.report.isEmpty());
    EXPECT_EQ(o["assembly"].toBool(e.parts.isEmpty()), !e.parts.isEmpty());
    EXPECT_EQ(o["parts"].toVariant().toStringList(), e.parts);
    EXPECT_EQ(o["error"].isNull(), i != 3);
  }
}

TEST_F(CliRun, ReportFolderComesFromTheSavedSettingsElseHome) {
  put("a.asm.4", assemblyBytes({"X1"}));
  EXPECT_EQ(run({"a.asm.4"}).exitCode, 0);
  EXPECT_TRUE(QFile::remove(sharedFolder("home") + "/a__Kelvaron.txt")) << "no saved folder: the report goes home";
  // Written the way the window keeps it, into the store this process shares with the child.
  QSettings(QSettings::NativeFormat, QSettings::UserScope, "Kelvaron", "Kelvaron")
      .setValue("Optionen/txt_Pfad.Text", rep());
  EXPECT_EQ(runCli({"a.asm.4"}, m_dir.path(), "config-own").exitCode, 0);
  EXPECT_EQ(entries(rep()), QStringList{"a__Kelvaron.txt"});
  // --report-dir wins over the saved folder.
  QDir(m_dir.path()).mkpath("other");
  EXPECT_EQ(runCli({"--report-dir", path("other"), "a.asm.4"}, m_dir.path(), "config-own").exitCode, 0);
  EXPECT_EQ(entries(path("other")), QStringList{"a__Kelvaron.txt"});
  EXPECT_TRUE(entries(sharedFolder("home")).isEmpty());
}

}  // namespace
}  // namespace kelvaron::clitest
