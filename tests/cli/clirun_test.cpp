// kelvaron-cli end to end: exit status, text and JSON output, reports written
// or not, on assemblies built in a temporary folder.

#include "cli_testenv.h"
#include "platform/nativepath.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace kelvaron::clitest {
namespace {

// The program's form of a native file name given as bytes.
QString nativeName(const QByteArray& bytes) {
  return platform::fromNativeBytes(std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

// Writes a file whose name is given as native bytes (possibly not UTF-8).
void writeNative(const QByteArray& nativePath, const QByteArray& bytes) {
  std::ofstream f(std::string(nativePath.constData(), std::size_t(nativePath.size())), std::ios::binary);
  f.write(bytes.constData(), bytes.size());
}

class CliRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    QDir(m_dir.path()).mkpath("rep");
  }
  QString path(const QString& name) const { return m_dir.filePath(name); }
  QString rep() const { return path("rep"); }
  CliResult run(QStringList args) const { return runCli(args, m_dir.path()); }

  QTemporaryDir m_dir;
};

TEST_F(CliRun, OneFileListsItsPartsAndWritesItsReport) {
  writeBytes(path("gear.asm.3"), assemblyBytes({"SHAFT", "GEAR_Z17"}));
  const auto r = run({"--report-dir", rep(), "gear.asm.3"});
  EXPECT_EQ(r.exitCode, 0) << r.err.constData();
  EXPECT_EQ(r.out, listing({"SHAFT", "GEAR_Z17"}));
  EXPECT_EQ(r.err, "");
  ASSERT_EQ(entries(rep()), QStringList{"gear__Kelvaron.txt"});
  const QByteArray report = readBytes(rep() + "/gear__Kelvaron.txt");
  // Line 1 is the full path even though a relative one was given.
  EXPECT_TRUE(report.startsWith(QFile::encodeName(path("gear.asm.3")) + "\r\n")) << report.constData();
  EXPECT_TRUE(report.contains("\r\n" + kHeading + "\r\nSHAFT\r\nGEAR_Z17\r\n")) << report.constData();
}

TEST_F(CliRun, SeveralFilesGetHeadBlocksAndAFailureDoesNotStopTheOthers) {
  writeBytes(path("a.asm"), assemblyBytes({"X1"}));
  writeBytes(path("b.txt"), assemblyBytes({"NOT_SCANNED"}));
  writeBytes(path("c.ASM"), assemblyBytes({"Y1", "Y2"}));
  const auto r = run({"a.asm", "--report-dir", rep(), "missing.asm", "b.txt", "c.ASM"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "==> a.asm <==\n" + listing({"X1"}) + "\n==> b.txt <==\n\n==> c.ASM <==\n" +
                       listing({"Y1", "Y2"}));
  EXPECT_TRUE(r.err.startsWith("kelvaron-cli: cannot read missing.asm: ")) << r.err.constData();
  EXPECT_EQ(r.err.count('\n'), 1);
  EXPECT_FALSE(QFileInfo::exists(path("missing.asm")));
  EXPECT_EQ(entries(rep()), (QStringList{"a__Kelvaron.txt", "b__Kelvaron.txt", "c__Kelvaron.txt"}));
  // A file that is not an assembly still gets its report, without a list.
  EXPECT_EQ(readBytes(rep() + "/b__Kelvaron.txt").count("\r\n"), 5);
}

TEST_F(CliRun, UnreadableInputIsNamedAndLeftAlone) {
  QDir(m_dir.path()).mkpath("folder.asm");
  const QString cases[] = {"missing.asm", "no/such/dir/x.asm.1", ""};
  for (const QString& input : cases) {
    SCOPED_TRACE(input.toStdString());
    for (const bool json : {false, true}) {
      const auto r = run(json ? QStringList{"--json", "--report-dir", rep(), input}
                              : QStringList{"--report-dir", rep(), input});
      EXPECT_EQ(r.exitCode, 1);
      EXPECT_TRUE(r.err.startsWith("kelvaron-cli: cannot read " + QFile::encodeName(input) + ": "))
          << r.err.constData();
      EXPECT_GT(r.err.size(), 30) << "the message gives a reason";
      EXPECT_EQ(r.out.isEmpty(), !json);
    }
  }
  EXPECT_EQ(entries(m_dir.path()), (QStringList{"folder.asm", "rep"}));
  EXPECT_TRUE(entries(rep()).isEmpty());
  EXPECT_TRUE(entries(path("folder.asm")).isEmpty());
}

TEST_F(CliRun, UsageErrorsExitWithTwoAndDoNothing) {
  writeBytes(path("a.asm"), assemblyBytes({"X1"}));
  const QStringList cases[] = {
      {}, {"--json"}, {"--bogus", "a.asm"}, {"a.asm", "--report-dir"}, {"--report-dir=", "a.asm"}};
  for (const auto& args : cases) {
    SCOPED_TRACE(args.join(' ').toStdString());
    const auto r = run(args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(r.err.startsWith("kelvaron-cli: ")) << r.err.constData();
    EXPECT_TRUE(r.err.contains("--help"));
  }
  EXPECT_TRUE(entries(rep()).isEmpty());
  EXPECT_TRUE(entries(TestEnvironment::instance().home()).isEmpty());
}

TEST_F(CliRun, HelpAndVersion) {
  const auto help = run({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(help.out.startsWith("Usage: kelvaron-cli [OPTION]... FILE|FOLDER..."));
  const auto version = run({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, QByteArray("kelvaron-cli ") + KELVARON_VERSION + "\n");
}

TEST_F(CliRun, JsonGivesOneEscapedObjectPerFile) {
  // File names that need escaping or are not valid UTF-8; names with an umlaut byte.
  const QByteArray quoteName = "we\"ird\\na\tme.asm";
  const QByteArray latinName = "caf\xE9.asm.2";
  const QByteArray umlautName = "m\xC3\xB6tor.asm";
  const QByteArray dir = QFile::encodeName(m_dir.path()) + "/";
  writeNative(dir + quoteName, assemblyBytes({"GEH\xC4USE", "D\xDC" "SE_1.5"}));
  writeNative(dir + latinName, assemblyBytes({"A"}));
  writeNative(dir + umlautName, assemblyBytes({"K\xD6RPER"}));
  writeBytes(path("notes.txt"), assemblyBytes({"B"}));

  // QProcess passes arguments as UTF-8, so the name that is not valid UTF-8
  // reaches the program through a shell pattern.
  QProcess p;
  auto& env = TestEnvironment::instance();
  auto childEnv = QProcessEnvironment::systemEnvironment();
  childEnv.insert("HOME", env.home());
  childEnv.insert("XDG_CONFIG_HOME", env.emptyConfig());
  p.setProcessEnvironment(childEnv);
  p.setWorkingDirectory(m_dir.path());
  p.start("/bin/sh", {"-c", "exec \"$0\" --json --report-dir \"$1\" \"$2\" caf?.asm.2 \"$3\" notes.txt gone.asm",
                      KELVARON_CLI_BINARY, rep(), QString::fromUtf8(quoteName), QString::fromUtf8(umlautName)});
  ASSERT_TRUE(p.waitForFinished(60000));
  CliResult r{p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
  EXPECT_EQ(r.exitCode, 1);
  const QList<QByteArray> lines = r.out.split('\n');
  ASSERT_EQ(lines.size(), 6) << r.out.constData();
  EXPECT_EQ(lines.back(), "");

  struct Expected {
    QByteArray name;
    QByteArray report;  // empty: null
    bool assembly;
    QStringList parts;
    bool error;
  };
  const Expected expected[] = {
      {quoteName, "we\"ird\\na\tme__Kelvaron.txt", true, {u"GEHÄUSE"_qs, u"DÜSE_15"_qs}, false},
      {latinName, "caf\xE9__Kelvaron.txt", true, {"A"}, false},
      {umlautName, "m\xC3\xB6tor__Kelvaron.txt", true, {u"KÖRPER"_qs}, false},
      {"notes.txt", "notes__Kelvaron.txt", false, {}, false},
      {"gone.asm", "", false, {}, true},
  };
  for (int i = 0; i < 5; ++i) {
    const Expected& e = expected[i];
    SCOPED_TRACE(e.name.toStdString());
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(lines[i], &pe);
    ASSERT_EQ(pe.error, QJsonParseError::NoError) << lines[i].constData();
    const QJsonObject o = doc.object();
    EXPECT_EQ(o.keys(), (QStringList{"assembly", "error", "file", "parts", "report"}));
    EXPECT_EQ(o["file"].toString(),
              nativeName(QFile::encodeName(m_dir.path()) + "/" + e.name));
    if (e.report.isEmpty()) {
      EXPECT_TRUE(o["report"].isNull());
    } else {
      EXPECT_EQ(o["report"].toString(), nativeName(QFile::encodeName(rep()) + "/" + e.report));
      EXPECT_TRUE(std::filesystem::exists(platform::toNativePath(o["report"].toString())));
    }
    EXPECT_EQ(o["assembly"].toBool(!e.assembly), e.assembly);
    QStringList parts;
    for (const auto& v : o["parts"].toArray()) parts << v.toString();
    EXPECT_EQ(parts, e.parts);
    EXPECT_EQ(o["error"].isString(), e.error);
    EXPECT_EQ(o["error"].isNull(), !e.error);
  }
  EXPECT_TRUE(lines[4].contains("cannot read gone.asm"));
  EXPECT_TRUE(r.err.startsWith("kelvaron-cli: cannot read gone.asm: "));
}

TEST_F(CliRun, NoReportWritesNothing) {
  writeBytes(path("a.asm"), assemblyBytes({"X1"}));
  for (const QStringList& args : {QStringList{"--no-report", "a.asm"},
                                  QStringList{"--no-report", "--report-dir", rep(), "a.asm"},
                                  QStringList{"--json", "--no-report", "a.asm"}}) {
    SCOPED_TRACE(args.join(' ').toStdString());
    const auto r = run(args);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.out.contains("X1"));
    if (args.contains("--json")) {
      EXPECT_TRUE(r.out.contains("\"report\":null"));
    }
  }
  EXPECT_TRUE(entries(rep()).isEmpty());
  EXPECT_TRUE(entries(TestEnvironment::instance().home()).isEmpty());
  EXPECT_EQ(entries(m_dir.path()), (QStringList{"a.asm", "rep"}));
}

TEST_F(CliRun, ReportFolderComesFromTheSavedSettingsElseHome) {
  writeBytes(path("a.asm.4"), assemblyBytes({"X1"}));
  auto& env = TestEnvironment::instance();
  const QString homeReport = env.home() + "/a__Kelvaron.txt";

  auto r = run({"a.asm.4"});
  EXPECT_EQ(r.exitCode, 0) << r.err.constData();
  EXPECT_TRUE(QFile::remove(homeReport)) << "no saved folder: the report goes home";

  {
    // Written the way the window keeps it, in the store this process shares with the child.
    // Written the way the window keeps it.
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Kelvaron", "Kelvaron");
    settings.setValue("Optionen/txt_Pfad.Text", rep());
  }
  r = runCli({"a.asm.4"}, m_dir.path(), env.ownConfig());
  EXPECT_EQ(r.exitCode, 0) << r.err.constData();
  EXPECT_EQ(entries(rep()), QStringList{"a__Kelvaron.txt"});
  EXPECT_TRUE(entries(env.home()).isEmpty());

  // --report-dir wins over the saved folder.
  QDir(m_dir.path()).mkpath("other");
  r = runCli({"--report-dir", path("other"), "a.asm.4"}, m_dir.path(), env.ownConfig());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(entries(path("other")), QStringList{"a__Kelvaron.txt"});
}

TEST_F(CliRun, ReportThatCannotBeWrittenFailsTheFileAndLeavesNothing) {
  writeBytes(path("a.asm"), assemblyBytes({"X1"}));
  writeBytes(path("plainfile"), "x");
  QDir(m_dir.path()).mkpath("readonly");
  QFile::setPermissions(path("readonly"), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
  // Root writes through permission bits: the read-only case then runs as "nobody".
  const bool root = ::geteuid() == 0;
  const bool canDrop = QFileInfo::exists("/usr/bin/setpriv");
  if (root) {
    QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                            QFile::ReadOther | QFile::ExeOther);
  }
  struct Case {
    QString folder;
    bool readOnly;
  };
  const Case cases[] = {{path("missing"), false}, {path("plainfile"), false}, {path("readonly"), true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder.toStdString());
    CliResult r;
    if (c.readOnly && root) {
      if (!canDrop) {
        std::printf("skipped the read-only folder case: running as root without setpriv\n");
        continue;
      }
      r = runCli({"--reuid=65534", "--regid=65534", "--clear-groups", KELVARON_CLI_BINARY,
                  "--report-dir", c.folder, "a.asm"},
                 m_dir.path(), QString(), "/usr/bin/setpriv");
    } else {
      r = run({"--report-dir", c.folder, "a.asm"});
    }
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, listing({"X1"})) << "the list is still shown";
    EXPECT_TRUE(r.err.startsWith("kelvaron-cli: cannot write " + QFile::encodeName(c.folder) +
                                 "/a__Kelvaron.txt: "))
        << r.err.constData();
  }
  EXPECT_TRUE(entries(path("readonly")).isEmpty());
  EXPECT_EQ(entries(m_dir.path()), (QStringList{"a.asm", "plainfile", "readonly", "rep"}));
  QFile::setPermissions(path("readonly"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

struct NamedFile {
  const char* file;
  QStringList parts;
};

// Runs the listed files of `folder` in one --json call and compares the names.
void expectParts(const QString& folder, const std::vector<NamedFile>& files) {
  QStringList args{"--json", "--no-report"};
  for (const auto& f : files) args << QDir(folder).filePath(f.file);
  const auto r = runCli(args);
  EXPECT_EQ(r.exitCode, 0) << r.err.constData();
  const QList<QByteArray> lines = r.out.split('\n');
  ASSERT_EQ(lines.size(), qsizetype(files.size() + 1));
  for (std::size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(files[i].file);
    const QJsonObject o = QJsonDocument::fromJson(lines[qsizetype(i)]).object();
    EXPECT_TRUE(o["assembly"].toBool());
    QStringList parts;
    for (const auto& v : o["parts"].toArray()) parts << v.toString();
    EXPECT_EQ(parts, files[i].parts);
  }
}

TEST(CliFiles, RealSamplesGiveTheNamesOfTheirReadme) {
  const QString dir = QStringLiteral(KELVARON_SAMPLES_DIR);
  if (!QFileInfo(dir).isDir()) GTEST_SKIP() << "sample folder " << dir.toStdString() << " is absent";
  expectParts(dir, {
      {"control.asm", {"CONTROL_SHROUD", "CONTROL_KNOB"}},
      {"boom_box_head.asm", {"PCB_EQ_", "BOOM_BOX_SKEL", "ECAD", "SPEAKER_RIGHT_", "SPEAKER_LEFT_",
                             "CASSETTE", "POWER_SUPPLY", "TOP", "FRONT", "BACK", "CD_PLAYER1",
                             "HANDLE", "ANTENNA", "BOOM_BOX", "EDR"}},
      {"top_head.asm", {"TOP1_TOP1"}},
      {"top_sections.asm", {"48", "50", "52", "58", "-"}},
      {"top_15.asm.1", {}},
      {"fridge.asm.4", {}},
      {"baseplate.asm.2", {}},
      {"asm0001_pince.asm.21", {}},
  });
}

TEST(CliFiles, ExamplesListTheirParts) {
  expectParts(QStringLiteral(KELVARON_EXAMPLES_DIR), {
      {"gearbox.asm.3", {"HOUSING_LOWER", "HOUSING_UPPER", "OUTPUT_SHAFT", "GEAR_Z17", "GEAR_Z53",
                         "BEARING_6205-2RS", "SCREW_ISO4762_M8X25"}},
      {"pump.asm", {u"GEHÄUSE"_qs, "LAUFRAD_D160", "WELLE", "GLEITRINGDICHTUNG", "DECKEL"}},
      {"assembly_input_shaft.asm.1", {"INPUT_SHAFT", "BEARING_6205-2RS", "CIRCLIP_DIN471_25",
                                      "BEARING_6205-2RS"}},
  });
}

}  // namespace
}  // namespace kelvaron::clitest
