#pragma once
// Running kelvaron-cli from the tests, with an isolated home folder and
// settings store.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace kelvaron::clitest {

/// Folders shared by all tests of the run: a home folder, an empty settings
/// store, and the store this test process writes (its own XDG_CONFIG_HOME).
class TestEnvironment {
 public:
  static TestEnvironment& instance() {
    static TestEnvironment env;
    return env;
  }
  QString home() const { return m_root.filePath("home"); }
  QString emptyConfig() const { return m_root.filePath("config-empty"); }
  QString ownConfig() const { return m_root.filePath("config-own"); }

 private:
  TestEnvironment() {
    QDir(m_root.path()).mkpath("home");
    QDir(m_root.path()).mkpath("config-empty");
    QDir(m_root.path()).mkpath("config-own");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(ownConfig()));
  }
  QTemporaryDir m_root;
};

struct CliResult {
  int exitCode = -1;
  QByteArray out;
  QByteArray err;      ///< standard error without the summary line
  QByteArray summary;  ///< the summary line that ends every run, without "kelvaron-cli: summary: "
};

/// Moves the summary line at the end of `r.err` into `r.summary`.
inline void splitSummary(CliResult& r) {
  static const QByteArray kPrefix = "kelvaron-cli: summary: ";
  if (r.err.size() < 2 || !r.err.endsWith('\n')) return;
  const qsizetype lineStart = r.err.lastIndexOf('\n', r.err.size() - 2) + 1;
  if (!r.err.mid(lineStart).startsWith(kPrefix)) return;
  r.summary = r.err.mid(lineStart + kPrefix.size()).chopped(1);
  r.err.truncate(lineStart);
}

/// Runs kelvaron-cli with `args` in `workDir`; `config` is the child's
/// XDG_CONFIG_HOME (default: an empty store). `program` replaces kelvaron-cli
/// for a wrapper that starts it.
inline CliResult runCli(const QStringList& args, const QString& workDir = QString(),
                        const QString& config = QString(),
                        const QString& program = QStringLiteral(KELVARON_CLI_BINARY)) {
  auto& env = TestEnvironment::instance();
  QProcess p;
  auto e = QProcessEnvironment::systemEnvironment();
  e.insert("HOME", env.home());
  e.insert("XDG_CONFIG_HOME", config.isEmpty() ? env.emptyConfig() : config);
  e.insert("LC_ALL", "C.UTF-8");
  p.setProcessEnvironment(e);
  if (!workDir.isEmpty()) p.setWorkingDirectory(workDir);
  p.start(program, args);
  CliResult r;
  if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) {
    r.err = "kelvaron-cli did not finish normally: " + p.readAllStandardError();
    return r;
  }
  r.exitCode = p.exitCode();
  r.out = p.readAllStandardOutput();
  r.err = p.readAllStandardError();
  splitSummary(r);
  return r;
}

inline const QByteArray kHeading = "the following parts are build in this assembly:";

// A small assembly in the legacy text layout with the given names (raw bytes).
inline QByteArray assemblyBytes(const QList<QByteArray>& names) {
  QByteArray b = "#UGC:2 ASSEMBLY 887 360 0 1 1 15 1600 9547\n#-END_OF_UGC_HEADER\n@model_name 3 10\n";
  for (qsizetype i = 0; i < names.size(); ++i) {
    b += "2 2 \n3 3 " + names[i] + "\n";
    if (i == 0) b += "@model_type 4 1\n";
    b += "3 4 2\n3 6 1\n";
  }
  return b;
}

inline QByteArray listing(const QList<QByteArray>& names) {
  QByteArray out = kHeading + "\n";
  for (const auto& n : names) out += n + "\n";
  return out;
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

inline QByteArray readBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

/// The names of the files in `folder`, sorted.
inline QStringList entries(const QString& folder) {
  return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                                QDir::Name);
}

}  // namespace kelvaron::clitest
