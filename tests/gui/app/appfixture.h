#pragma once
// What the window's tests share: a settings store of their own and folder
// trees of assembly files made in a temporary folder.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#ifdef _WIN32
#include <vector>
#include <windows.h>
#endif

namespace kelvaron::test {

// Other test programs may use the test store at the same time (ctest -j), so
// each program keeps its settings in a folder of its own. Call first.
inline void isolateSettings() {
  static QTemporaryDir folder;
  QStandardPaths::setTestModeEnabled(true);
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
}

inline QSettings store() { return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Kelvaron", "Kelvaron"); }

// The report file names of the assemblies `names`, sorted.
inline QStringList reportsOf(QStringList names) {
  for (QString& name : names) name += QStringLiteral("__Kelvaron.txt");
  names.sort();
  return names;
}

// A temporary folder tree of assemblies, with an empty report/ beside them.
struct Tree {
  QTemporaryDir dir;
  QString root = dir.path() + '/';
  QString reports = root + "report";

  explicit Tree(const QStringList& names = {}) {
    QDir().mkpath(reports);
    for (const QString& name : names) assembly(name);
  }
  // The parts BOLT_M8 and NUT, by the marker search.
  void assembly(const QString& rel) const {
    file(rel, "#HEAD: ASSEMBLY TOP\r\n3 3 BOLT_M8\r\n@model_type 1\r\n3 3 NUT\r\n@model_type 1\r\n");
  }
  void file(const QString& rel, const QByteArray& bytes) const {
    QDir().mkpath(QFileInfo(root + rel).absolutePath());
    QFile out(root + rel);
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
  }
#ifdef _WIN32
  // A file another program holds open without sharing: it is listed, and cannot be read.
  void unreadable(const QString& rel) {
    file(rel, "held");
    const HANDLE held = ::CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(root + rel).utf16()),
                                      GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    QVERIFY(held != INVALID_HANDLE_VALUE);
    m_held.push_back(held);
  }
  ~Tree() {
    for (const HANDLE held : m_held) ::CloseHandle(held);
  }
  std::vector<HANDLE> m_held;
#else
  // A link that points nowhere: it is listed, and cannot be read.
  void unreadable(const QString& rel) const { QVERIFY(QFile::link(root + "nowhere", root + rel)); }
#endif
  QStringList reportFiles() const {
    return QDir(reports).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
  }
  QByteArray report(const QString& name) const {
    QFile in(reports + '/' + name + "__Kelvaron.txt");
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
  }
};

}  // namespace kelvaron::test
