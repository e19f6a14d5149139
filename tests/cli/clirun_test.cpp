// kelvaron-cli end to end on files: command line, exit status, text, --long
// and JSON output (with what the format reader found), reports written or not.

#include "cli_testenv.h"
#include "common/systemcalls.h"
#include "platform/nativepath.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScopeGuard>
#include <QSettings>
#include <fstream>

namespace kelvaron::clitest {
namespace {

using CliRun = CliTest;

// The command line's rows, then each file listed and reported, a failure not stopping the others.
TEST_F(CliRun, CommandLineAndEachFileIsListedAndReported) {
  put("a.asm", assemblyBytes({"X1"}));
  put("b.txt", assemblyBytes({"NOT_SCANNED"}));
  put("c.ASM", assemblyBytes({"Y1", "Y2"}));
  put("plainfile", "x");
  put("-x.asm", assemblyBytes({"X1"}));
  // A folder holds the report's name: the temporary file is written, the rename fails.
  QDir(m_dir.path()).mkpath("blocked/a__Kelvaron.txt");
  const auto cannotWrite = [&](const QString& folder) {
    return "kelvaron-cli: cannot write " + shownPath(path(folder) + "/a__Kelvaron.txt") + ": ";
  };
  const QByteArray x1 = listing({"X1"});
  const QByteArray needsJobs = "kelvaron-cli: option '--jobs' needs a number from 1 to 256\nTry 'kelvaron-cli --help'";
  const QByteArray needsFolder = "kelvaron-cli: option '--report-dir' needs a folder\nTry";
  const struct {
    QStringList args;
    int exit;
    QByteArray out;
    QByteArray err;  // how the message starts, its last line still to come; empty: no message
    QStringList reports;
  } cases[] = {
      {{"--json"}, 2, "", "kelvaron-cli: no FILE given\nTry 'kelvaron-cli --help'", {}},
      {{"--bogus", "a.asm"}, 2, "", "kelvaron-cli: unknown option '--bogus'\n", {}},
      {{"a.asm", "--report-dir"}, 2, "", needsFolder, {}},
      {{"--report-dir=", "a.asm"}, 2, "", needsFolder, {}},
      {{"-j", "a.asm"}, 2, "", needsJobs, {}},
      {{"--jobs", "257", "a.asm"}, 2, "", needsJobs, {}},
      {{"--version"}, 0, QByteArray("kelvaron-cli ") + KELVARON_VERSION + "\n", "", {}},
      {{"--no-report", "--", "--json"}, 1, "", "kelvaron-cli: cannot read --json: ", {}},
      {{"--report-dir=" + rep(), "a.asm"}, 0, x1, "", {"a__Kelvaron.txt"}},
      {{"--no-report", "a.asm"}, 0, x1, "", {}},
      {{"--report-dir", path("missing"), "a.asm"}, 1, x1, cannotWrite("missing"), {}},
      {{"--report-dir", path("plainfile"), "a.asm"}, 1, x1, cannotWrite("plainfile"), {}},
      {{"--report-dir", path("blocked"), "a.asm"}, 1, x1, cannotWrite("blocked"), {}},
      {{"--report-dir", rep(), ""}, 1, "", "kelvaron-cli: cannot read : ", {}},
      // Option forms users type without thinking were refused as unknown options.
      {{"-j1", "--report-dir=rep", "a.asm"}, 0, x1, "", {"a__Kelvaron.txt"}},
      {{"a.asm", "--jobs=1", "--report-dir=rep"}, 0, x1, "", {"a__Kelvaron.txt"}},
      {{"--report-dir=rep", "--", "-x.asm"}, 0, x1, "", {"-x__Kelvaron.txt"}},
      {{"a.asm", "--report-dir", rep(), "no/such.asm.1", "b.txt", "c.ASM"},
       1,
       listing({"X1"}, "a.asm") + "\n==> b.txt <==\n\n" + listing({"Y1", "Y2"}, "c.ASM"),
       "kelvaron-cli: cannot read " + shownPath("no/such.asm.1") + ": ",
       {"a__Kelvaron.txt", "b__Kelvaron.txt", "c__Kelvaron.txt"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    clearReports();
    const auto r = run(c.args);
    EXPECT_EQ(r.exitCode, c.exit);
    EXPECT_EQ(r.out, c.out);
    // A message that names the file and gives a reason, or the usage hint.
    EXPECT_TRUE(c.err.isEmpty() ? r.err.isEmpty()
                                : r.err.startsWith(c.err) && r.err.count('\n') == c.err.count('\n') + 1 &&
                                      r.err.size() > c.err.size() + 1)
        << r.err.constData();
    EXPECT_EQ(entries(rep()), c.reports);
  }
  const CliResult help = run({"--version", "-h", "--bogus"});
  EXPECT_TRUE(help.exitCode == 0 && help.err.isEmpty() &&
              help.out.startsWith("Usage: kelvaron-cli [OPTION]... FILE|FOLDER...\n"))
      << help.out.constData();
  // Nothing was created besides the reports: no missing input, folder or temporary file.
  EXPECT_EQ(entries(m_dir.path()), (QStringList{"-x.asm", "a.asm", "b.txt", "blocked", "c.ASM", "plainfile", "rep"}));
  EXPECT_EQ(entries(path("blocked")), QStringList{"a__Kelvaron.txt"});
  EXPECT_TRUE(entries(path("blocked/a__Kelvaron.txt")).isEmpty() && entries(sharedFolder("home")).isEmpty());
  // From the last run: line 1 is the full path though a relative one was given;
  // a file that is not an assembly gets a report without a list (5 lines).
  const QByteArray report = readBytes(rep() + "/a__Kelvaron.txt");
  EXPECT_TRUE(report.startsWith(reportPath(path("a.asm")) + "\r\n" + QByteArray(50, '-') + "\r\n\r\r\n" +
                                kHeading + "\r\nX1\r\n"))
      << report.constData();
  EXPECT_EQ(readBytes(rep() + "/b__Kelvaron.txt").count("\r\n"), 5);
}

TEST_F(CliRun, JsonGivesOneEscapedObjectPerFile) {
  KELVARON_SKIP_ON_WINDOWS("a name that is not UTF-8 reaches the CLI through a POSIX shell");
  const struct {
    QByteArray name;    // native bytes, possibly not UTF-8
    QByteArray report;  // empty: null
    QList<QByteArray> written;
    QStringList parts;  // none: not an assembly
  } expected[] = {
      {"we\"ird\\na\tme.asm",
       "we\"ird\\na\tme__Kelvaron.txt",
       {"GEH\304USE", "D\334SE_1.5"},
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
    const QJsonObject o = QJsonDocument::fromJson(lines[i]).object();  // none when the line is no JSON
    EXPECT_EQ(o.keys(), (QStringList{"assembly", "components", "error", "file", "format", "notes", "parts", "report"}))
        << lines[i].constData();
    EXPECT_EQ(o["file"].toString(), native(dir + e.name));
    EXPECT_EQ(o["report"], e.report.isEmpty() ? QJsonValue() : native(QFile::encodeName(rep()) + "/" + e.report));
    // Line 1 of the report is the file's path, its bytes kept, a control character (the tab) escaped.
    std::ifstream report(platform::toNativePath(o["report"].toString()), std::ios::binary);
    std::string line1;
    EXPECT_EQ(std::getline(report, line1) ? line1 : "",
              e.report.isEmpty() ? "" : std::string(dir + QByteArray(e.name).replace('\t', "\\x09")) + "\r");
    EXPECT_EQ(o["assembly"].toBool(e.parts.isEmpty()), !e.parts.isEmpty());
    EXPECT_EQ(o["parts"].toVariant().toStringList(), e.parts);
    EXPECT_EQ(o["error"].isNull(), i != 3);
  }
}

TEST_F(CliRun, ReportFolderComesFromTheSavedSettingsElseHome) {
  // The store the window keeps its settings in, shared with the child.
  ASSERT_FALSE(sharedFolder("config-own").isEmpty());
  QSettings store(QSettings::NativeFormat, QSettings::UserScope, "Kelvaron", "Kelvaron");
  const QString key = QStringLiteral("Optionen/txt_Pfad.Text");
#ifdef _WIN32
  // Windows has one store per user (the registry) and takes the home folder from
  // the user's profile, not from the environment: the test empties the key and
  // puts the user's value back.
  const QString home = QDir::homePath();
  const QVariant before = store.value(key);
  store.remove(key);
  store.sync();
  const auto restore = qScopeGuard([&] {
    if (before.isValid()) store.setValue(key, before);
    else store.remove(key);
  });
#else
  const QString home = sharedFolder("home");
#endif
  put("a.asm.4", assemblyBytes({"X1"}));
  EXPECT_EQ(run({"a.asm.4"}).exitCode, 0);
  EXPECT_TRUE(QFile::remove(home + "/a__Kelvaron.txt")) << "no saved folder: the report goes home";
  store.setValue(key, rep());
  store.sync();
  EXPECT_EQ(runCli({"a.asm.4"}, m_dir.path(), "config-own").exitCode, 0);
  EXPECT_EQ(entries(rep()), QStringList{"a__Kelvaron.txt"});
  // --report-dir wins over the saved folder.
  QDir(m_dir.path()).mkpath("other");
  EXPECT_EQ(runCli({"--report-dir", path("other"), "a.asm.4"}, m_dir.path(), "config-own").exitCode, 0);
  EXPECT_EQ(entries(path("other")), QStringList{"a__Kelvaron.txt"});
  EXPECT_FALSE(QFile::exists(home + "/a__Kelvaron.txt"));
}

using CliModel = CliTest;

QString sample(const char* name) { return QStringLiteral(KELVARON_SAMPLES_DIR "/") + QLatin1String(name); }

TEST_F(CliModel, JsonCarriesFormatComponentsAndNotes) {
  if (!QFileInfo::exists(sample("asm0001_pince.asm.21"))) GTEST_SKIP() << "no samples at " KELVARON_SAMPLES_DIR;
  put("notes.txt", "3 3 X\n");
  const auto r = run({"--json", "--no-report", sample("asm0001_pince.asm.21"), sample("top_head.asm"), "notes.txt"});
  ASSERT_EQ(r.exitCode, 0) << r.err.constData();
  const QList<QByteArray> lines = r.out.split('\n');
  ASSERT_EQ(lines.size(), 4) << r.out.constData();
  // The keys of before come first, in their order; the new ones after them.
  EXPECT_TRUE(lines[0].startsWith("{\"file\":") && lines[0].contains("\"error\":null,\"format\":{")) << lines[0].data();
  const auto object = [&](int i) { return QJsonDocument::fromJson(lines[i]).object(); };
  const auto json = [](const char* text) { return QJsonDocument::fromJson(text).object(); };
  const QJsonObject creo = object(0);
  EXPECT_EQ(creo["format"].toObject(),
            json(R"j({"generation":"creo-tokens","writer":"Creo 9.0 (9.0.0.0)","model":"asm0001_pince.asm"})j"));
  const QJsonArray parts = creo["components"].toArray();
  ASSERT_EQ(parts.size(), 9);
  EXPECT_EQ(parts[0].toObject(), json(R"j({"name":"top base","type":"part","quantity":1,"suppressed":0,)j"
                                      R"j("source":"SLDPRT","file":"top base.SLDPRT"})j"));
  EXPECT_EQ(creo["parts"].toArray()[7].toString(), u"MAINTIEN_PIÈCE_V3"_qs);
  EXPECT_EQ(creo["notes"].toArray(), QJsonArray{});

  const QJsonObject legacy = object(1);
  EXPECT_EQ(legacy["format"].toObject(),
            json(R"j({"generation":"legacy-text","writer":"Version H-01-21","model":null})j"));
  EXPECT_EQ(legacy["components"].toArray(),
            QJsonArray{json(R"j({"name":"TOP1_","type":"part","quantity":1,"suppressed":0,"generic":"TOP1",)j"
                            R"j("file":"top1.prt"})j")});
  EXPECT_TRUE(object(2)["format"].isNull() && object(2)["components"].toArray().isEmpty());
}

TEST_F(CliModel, LongListsAlignedComponentsAfterTheWriterLine) {
  if (!QFileInfo::exists(sample("baseplate.asm.2"))) GTEST_SKIP() << "no samples at " KELVARON_SAMPLES_DIR;
  put("plain.asm", "3 3 SHAFT\n3 4 2\n");
  const auto r =
      runCli({"-l", "--no-report", "baseplate.asm.2", "top_head.asm", "boom_box_head.asm"}, KELVARON_SAMPLES_DIR);
  ASSERT_EQ(r.exitCode, 0) << r.err.constData();
  EXPECT_TRUE(
      r.out.startsWith("==> baseplate.asm.2 <==\n"
                       "Creo 3.0 (M080): 3 components, 9 instances\n"
                       "  1  part  BASEPLATE\n"
                       "  4  part  ROUNDBOLT\n"
                       "  4  part  SMALLNUT\n"
                       "\n"
                       "==> top_head.asm <==\n"
                       "Version H-01-21: 1 component, 1 instance\n"
                       "  1  part  TOP1_  generic TOP1\n"
                       "\n"
                       "==> boom_box_head.asm <==\n"
                       "legacy-text: 12 components, 11 instances\n"
                       "  1                part      BOOM_BOX_SKEL\n"))
      << r.out.constData();
  EXPECT_TRUE(r.out.contains("\n  0  1 suppressed  assembly  CASSETTE\n  1                assembly  POWER_SUPPLY\n"));
  // Without a model the marker scan's names follow the first line.
  EXPECT_EQ(run({"--long", "--no-report", "plain.asm"}).out, "unknown layout: 1 name by the marker scan\n  SHAFT\n");
}

TEST_F(CliModel, ADamagedFileFallsBackToTheScanWithANoteAndExitZero) {
  QFile f(sample("asm0001_pince.asm.21"));
  if (!f.open(QIODevice::ReadOnly)) GTEST_SKIP() << "no samples at " KELVARON_SAMPLES_DIR;
  // Cut where the table of contents still points into the missing part.
  put("cut.asm.3", f.read(4000) + "\n3 3 KEPT\n3 4 2\n");
  const auto r = run({"--report-dir", rep(), "cut.asm.3"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, kHeading + "\nKEPT\n");
  EXPECT_TRUE(r.err.startsWith("kelvaron-cli: cut.asm.3: ") &&
              r.err.endsWith("; the names come from the marker scan over the whole file\n"))
      << r.err.constData();
  EXPECT_EQ(entries(rep()), QStringList{"cut__Kelvaron.txt"});
}

}  // namespace
}  // namespace kelvaron::clitest
