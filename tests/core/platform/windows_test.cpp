// Windows file names and files: the name rules hold (and are tested) on every
// system; the files themselves only on Windows, where names the system takes
// for devices or for other files are refused without anything being written,
// files held by other programs, long paths and names beyond the code page work.

#include "platform/atomicfile.h"
#include "platform/dirlisting.h"
#include "platform/filebytes.h"
#include "platform/nativefile.h"
#include "platform/windowsnames.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace kelvaron::platform {
namespace {

TEST(WindowsNames, DevicesTrailingDotsStreamsAndCharactersAreFound) {
  const struct {
    QString path;
    const char* problem;  // a part of the reason; nullptr: the name is fine
  } cases[] = {
      {"C:\\cad\\con.asm", "\"con.asm\" is a device name"},
      {"NUL", "is a device name"},
      {"aux.prt.3", "is a device name"},
      {"D:/rep/COM1.txt", "is a device name"},
      {"lpt9", "is a device name"},
      {"nul .txt", "is a device name"},
      {"CONOUT$", "is a device name"},
      {QStringLiteral("com\u00B9.asm"), "is a device name"},
      {"C:\\con\\a.asm", "\"con\" is a device name"},
      {"C:\\cad\\top.asm.", "ends in a dot or a space"},
      {"C:\\cad\\top.asm ", "ends in a dot or a space"},
      {"C:\\cad. \\top.asm", "\"cad. \" ends in a dot or a space"},
      {"C:\\cad\\top.asm:hidden", "names a stream"},
      {"top.asm::$DATA", "names a stream"},
      {"C:\\cad\\a<b.asm", "character Windows does not allow"},
      {"C:\\cad\\a?.asm", "character Windows does not allow"},
      {QStringLiteral("C:\\cad\\a\u0001.asm"), "character Windows does not allow"},
      // Names that only look like the above.
      {"C:\\cad\\console.asm", nullptr},
      {"C:\\cad\\com0.asm", nullptr},
      {"C:\\cad\\COM10.txt", nullptr},
      {"C:\\cad\\nul_part.prt", nullptr},
      {"C:\\cad\\.\\..\\top.asm.3", nullptr},
      {"C:top.asm", nullptr},
      {"C:/cad\\sub/top.asm", nullptr},
      {"\\\\server\\share\\cad\\top.asm", nullptr},
      {"\\\\?\\C:\\cad\\top.asm", nullptr},
      {"\\\\?\\UNC\\server\\share\\top.asm", nullptr},
      {QStringLiteral("C:\\cad\\syst\u00E8me_cha\u00EEne.asm.1"), nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.toStdString());
    const QString problem = windowsNameProblem(c.path);
    if (c.problem)
      EXPECT_TRUE(problem.contains(QString::fromUtf8(c.problem))) << problem.toStdString();
    else
      EXPECT_EQ(problem, QString());
  }
}

TEST(WindowsNames, ExtendedLengthForms) {
  const std::pair<QString, QString> cases[] = {
      {"C:\\a\\b.asm", "\\\\?\\C:\\a\\b.asm"},
      {"C:/a/./b/../c.asm", "\\\\?\\C:\\a\\c.asm"},
      {"C:\\..\\a", "\\\\?\\C:\\a"},
      {"c:\\", "\\\\?\\c:\\"},
      {"\\\\server\\share\\cad\\a.asm", "\\\\?\\UNC\\server\\share\\cad\\a.asm"},
      {"//server/share/cad/../a.asm", "\\\\?\\UNC\\server\\share\\a.asm"},
      {"\\\\?\\C:\\x\\..\\y", "\\\\?\\C:\\x\\..\\y"},  // already in that form: as it is
      {"cad\\a.asm", ""},
      {"C:a.asm", ""},
      {"/cad/a.asm", ""},
  };
  for (const auto& [path, extended] : cases) EXPECT_EQ(extendedLengthPath(path), extended) << path.toStdString();
}

TEST(WindowsNames, UnfinishedUtf8SequencesWaitForTheirLastBytes) {
  const std::pair<std::string_view, std::size_t> cases[] = {
      {"", 0},
      {"abc", 3},
      {"a\xC3", 1},
      {"a\xC3\xA9", 3},
      {"\xE2\x82", 0},
      {"x\xE2\x82\xAC", 4},
      {"\xF0\x9F\x98", 0},
      {"\xF0\x9F\x98\x80", 4},
      {"\x80", 1},        // a stray continuation byte waits for nothing
      {"a\xFF", 2},       // nor does a byte that starts no sequence
      {"a\xC0", 2},       // an overlong lead
      {"\x9F\x98\x80", 3},
  };
  for (const auto& [bytes, whole] : cases)
    EXPECT_EQ(wholeUtf8Prefix(bytes), whole) << QByteArray(bytes.data(), qsizetype(bytes.size())).toHex().data();
}

#ifdef _WIN32

// Writes `bytes` to `path` as a report is written.
void writeWhole(const QString& path, std::string_view bytes) {
  AtomicFile f;
  QString reason;
  ASSERT_TRUE(f.open(path, &reason)) << reason.toStdString();
  f.write(bytes);
  ASSERT_TRUE(f.commit(&reason)) << reason.toStdString();
}

// The entries of `folder`, hidden and system ones included.
QStringList entriesOf(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

TEST(WindowsFiles, NamesWindowsTakesForOtherFilesWriteNothing) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::pair<const char*, const char*> cases[] = {
      {"COM1.txt", "is a device name"},     {"con.asm", "is a device name"},
      {"NUL", "is a device name"},          {"aux.prt.3", "is a device name"},
      {"r.txt.", "ends in a dot"},          {"r.txt ", "ends in a dot or a space"},
      {"r.txt:hidden", "names a stream"},   {"sub.\\r.txt", "ends in a dot"},
  };
  for (const auto& [name, problem] : cases) {
    SCOPED_TRACE(name);
    const QString path = dir.path() + u'\\' + QString::fromUtf8(name);
    AtomicFile report;
    QString reason;
    EXPECT_FALSE(report.open(path, &reason));
    EXPECT_TRUE(reason.contains(QString::fromUtf8(problem))) << reason.toStdString();
    NativeFile input;
    EXPECT_FALSE(input.open(path));
    EXPECT_TRUE(input.errorString().contains(QString::fromUtf8(problem))) << input.errorString().toStdString();
    FileBytes bytes;
    EXPECT_FALSE(bytes.open(path));
  }
  EXPECT_EQ(entriesOf(dir.path()), QStringList());
}

TEST(WindowsFiles, AFileHeldWithoutSharingFailsWithTheSystemsReason) {
  QTemporaryDir dir;
  const QString held = dir.filePath(QStringLiteral("held.asm"));
  writeWhole(held, "old");
  // As an editor or a CAD program holds a file it saves: no sharing at all.
  const HANDLE handle = ::CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(held).utf16()),
                                      GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  const QString sharing = windowsErrorText(ERROR_SHARING_VIOLATION);
  NativeFile input;
  EXPECT_FALSE(input.open(held));
  EXPECT_EQ(input.errorString(), sharing);
  FileBytes bytes;
  EXPECT_FALSE(bytes.open(held));
  AtomicFile report;
  QString reason;
  ASSERT_TRUE(report.open(held, &reason)) << reason.toStdString();
  report.write("new");
  EXPECT_FALSE(report.commit(&reason));
  EXPECT_FALSE(reason.isEmpty());
  EXPECT_EQ(entriesOf(dir.path()), QStringList{"held.asm"}) << "no temporary left behind";
  ::CloseHandle(handle);
  ASSERT_TRUE(bytes.open(held)) << bytes.errorString().toStdString();
  EXPECT_EQ(bytes.bytes(), "old");
  // A file other programs only read stays readable and replaceable.
  const HANDLE reader = ::CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(held).utf16()),
                                      GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(input.open(held)) << input.errorString().toStdString();
  input.close();
  ::CloseHandle(reader);
}

TEST(WindowsFiles, ReadOnlyReportsStayAsTheyAre) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("r__Kelvaron.txt"));
  writeWhole(path, "old");
  const auto native = reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16());
  ASSERT_TRUE(::SetFileAttributesW(native, FILE_ATTRIBUTE_READONLY));
  AtomicFile f;
  QString reason;
  EXPECT_FALSE(f.open(path, &reason));
  EXPECT_EQ(reason, QStringLiteral("the report is read-only"));
  ::SetFileAttributesW(native, FILE_ATTRIBUTE_NORMAL);
  FileBytes bytes;
  ASSERT_TRUE(bytes.open(path));
  EXPECT_EQ(bytes.bytes(), "old");
}

// Past 260 characters, with names outside every ANSI code page, given with
// either separator: written, listed and read back.
TEST(WindowsFiles, LongPathsAndWideNamesAreWrittenListedAndRead) {
  QTemporaryDir dir;
  const QString deepName(120, u'd');
  const struct {
    QString folder;  // below the temporary folder, one file in each
    QString name;
  } cases[] = {
      {QStringLiteral("plain"), QStringLiteral("syst\u00E8me_cha\u00EEne.asm.1")},
      {QStringLiteral("wide"), QStringLiteral("\u90E8\u54C1 \U0001F527.asm")},
      {deepName + u'/' + deepName + u'\\' + deepName, QStringLiteral("deep.asm.2")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name.toStdString());
    const QString folder = dir.path() + u'/' + c.folder;
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + u'\\' + c.name;
    writeWhole(path, c.name.toStdString());
    const auto listed = Folder::open(folder).list(u"*");
    ASSERT_TRUE(listed && listed->size() == 1);
    EXPECT_EQ(listed->front().name, c.name);
    FileBytes bytes;
    ASSERT_TRUE(bytes.open(path)) << bytes.errorString().toStdString();
    EXPECT_EQ(bytes.bytes(), c.name.toStdString());
    NativeFile native;
    EXPECT_TRUE(native.open(folder + u'/' + c.name)) << native.errorString().toStdString();
  }
  EXPECT_GT((dir.path() + u'/' + cases[2].folder).size(), 260);
}

#endif

}  // namespace
}  // namespace kelvaron::platform
