#pragma once
// Running kelvaron-cli from the tests on files built in a temporary folder,
// with an isolated home folder and settings store.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <filesystem>

namespace kelvaron::clitest {

/// A folder shared by the whole run: "home", "config-empty" (an empty settings
/// store) or "config-own" (the store of this process: the first call makes it
/// this process's XDG_CONFIG_HOME and its settings folder, even where Qt has
/// already looked the folder up, so no test writes the user's own store).
inline QString sharedFolder(const QString& name) {
  static QTemporaryDir root;
  static const bool made = [] {
    for (const char* n : {"home", "config-empty", "config-own"}) QDir(root.path()).mkpath(n);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, root.filePath("config-own"));
    return qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.filePath("config-own")));
  }();
  return made ? root.filePath(name) : QString();
}

struct CliResult {
  int exitCode = -1;
  QByteArray out;
  QByteArray err;      ///< standard error without the summary line
  QByteArray summary;  ///< the summary line without "kelvaron-cli: summary: " and line end
};

/// Runs kelvaron-cli (or `program`, a wrapper that starts it) with `args` in
/// `workDir`, with the settings store in `config` (default: an empty one).
inline CliResult runCli(const QStringList& args, const QString& workDir, const QString& config = "config-empty",
                        const QString& program = QStringLiteral(KELVARON_CLI_BINARY)) {
  QProcess p;
  auto e = QProcessEnvironment::systemEnvironment();
  e.insert("HOME", sharedFolder("home"));
  e.insert("XDG_CONFIG_HOME", sharedFolder(config));
  e.insert("LC_ALL", "C.UTF-8");
  p.setProcessEnvironment(e);
  p.setWorkingDirectory(workDir);
  p.start(program, args);
  if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) return {-1, "", "did not finish", ""};
  CliResult r{p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError(), ""};
  static const QByteArray kPrefix = "kelvaron-cli: summary: ";
  const qsizetype at = r.err.lastIndexOf("\n" + kPrefix) + 1;  // 0: the only line
  if (r.err.mid(at).startsWith(kPrefix) && r.err.endsWith('\n')) {
    r.summary = r.err.mid(at + kPrefix.size()).chopped(1);
    r.err.truncate(at);
  }
  return r;
}

inline const QByteArray kHeading = "the following parts are build in this assembly:";

/// A small assembly in the legacy text layout with the given names (raw bytes).
inline QByteArray assemblyBytes(const QList<QByteArray>& names) {
  QByteArray b = "#UGC:2 ASSEMBLY 887 360 0 1 1 15 1600 9547\n#-END_OF_UGC_HEADER\n@model_name 3 10\n";
  for (const QByteArray& name : names) b += "2 2 \n3 3 " + name + "\n@model_type 4 1\n3 4 2\n3 6 1\n";
  return b;
}

/// An assembly of about `megabytes` MB of records "3 3 P10000000", "3 3 P10000001"...
inline QByteArray bigAssembly(int megabytes) {
  QByteArray big = "#UGC:2 ASSEMBLY 1 1\n#-END_OF_UGC_HEADER\n";
  big.reserve(megabytes << 20);
  for (int i = 0; big.size() < (megabytes << 20); ++i) big += "3 3 P" + QByteArray::number(10000000 + i) + "\n";
  return big;
}

/// The text output for one assembly, optionally as a block headed by `file`.
inline QByteArray listing(const QList<QByteArray>& names, const QByteArray& file = "") {
  QByteArray out = (file.isEmpty() ? "" : "==> " + file + " <==\n") + kHeading + "\n";
  for (const QByteArray& name : names) out += name + "\n";
  return out;
}

// A legacy text assembly (Release 14 to Wildfire 4 layout) from words
// "NAME*quantity", a leading + for a sub-assembly, a trailing ~ for one more
// instance that is suppressed.
inline QByteArray legacyAssembly(const QByteArray& words) {
  QByteArray b =
      "#UGC:2 ASSEMBLY 887 360 0 1 1 15 1600 9547\n#-END_OF_UGC_HEADER\n#P_OBJECT 6\n@P_object 1 0\n0 1 ->\n"
      "@depend 2 0\n1 2 [" +
      QByteArray::number(words.count(' ') + 1) +
      "]\n@model_name 3 10\n@model_type 4 1\n@bom_count 6 1\n@dep_type 7 1\n@comp_dep_types 16 1\n";
  for (const QByteArray& w : words.split(' ')) {
    const bool sub = w.startsWith('+'), suppressed = w.endsWith('~');
    const QList<QByteArray> nameAndCount = w.mid(sub, w.size() - sub - suppressed).split('*');
    const QByteArray q = nameAndCount.value(1, "1"), all = QByteArray::number(q.toInt() + suppressed);
    b += "2 2 \n3 3 " + nameAndCount[0] + "\n3 4 " + (sub ? "1" : "2") + "\n3 6 " + all + "\n3 7 " +
         (suppressed ? "32770\n3 16 [" + all + "]\n$" + q + "*2,1*32768\n" : QByteArray("2\n"));
  }
  return b + "@dep_db 30 0\n1 30 ->\n#END_OF_P_OBJECT\n";
}

/// A path as the CLI writes it in its output and messages: with the system's
/// separator; UTF-8 on Windows, the name's own bytes elsewhere.
inline QByteArray shownPath(const QString& path) {
#ifdef _WIN32
  return QDir::toNativeSeparators(path).toUtf8();
#else
  return QFile::encodeName(path);
#endif
}

/// A path as a report writes it: with the system's separator, in the system's encoding.
inline QByteArray reportPath(const QString& path) { return QFile::encodeName(QDir::toNativeSeparators(path)); }

inline QByteArray readBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

/// The names in `folder`, hidden ones included, sorted.
inline QStringList entries(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

/// A temporary working folder with an empty report folder "rep" in it.
class CliTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_dir.isValid() && QDir(m_dir.path()).mkpath("rep")); }
  // QTemporaryDir cannot remove names that are not valid UTF-8; the bytes API can.
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(QFile::encodeName(m_dir.path()).toStdString(), ec);
  }
  QString path(const QString& name) const { return m_dir.filePath(name); }
  QString rep() const { return path("rep"); }
  CliResult run(const QStringList& args) const { return runCli(args, m_dir.path()); }
  /// Runs `script` with bash in the test folder; $CLI is the binary.
  CliResult shell(const QString& script) const {
    return runCli({"-c", "CLI=" KELVARON_CLI_BINARY "; " + script}, m_dir.path(), "config-empty", "/bin/bash");
  }
  /// Writes `bytes` to `name`, creating its folders.
  void put(const QString& name, const QByteArray& bytes) const {
    QDir(m_dir.path()).mkpath(QFileInfo(path(name)).path());
    QFile f(path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size()) << name.toStdString();
  }
  void clearReports() const { ASSERT_TRUE(QDir(rep()).removeRecursively() && QDir(m_dir.path()).mkpath("rep")); }

  QTemporaryDir m_dir;
};

}  // namespace kelvaron::clitest
