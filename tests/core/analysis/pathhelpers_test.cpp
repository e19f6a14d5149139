#include "analysis/pathhelpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using kelvaron::PathStyle;

namespace {

struct SplitCase {
  const char* path;
  const char* ext;
  const char* name;
};

// Worked examples in Windows form; the POSIX table holds the cases where the
// styles differ.
const SplitCase kWindowsCases[] = {
    {R"(C:\a\b\top.asm.3)", ".asm", "top"},
    {R"(C:\a\b\top.asm)", ".asm", "top"},
    {"top.asm.12", ".asm", "top"},
    {"top", "", "top"},
    {"C:top.asm", ".asm", "top"},
    {R"(C:\a.b\top)", "", "top"},
    {"top.asm.", ".asm", "top"},
    {"top..asm", ".asm", "top"},
    {"A.B.C.ASM.3", ".B", "A"},
    {".asm", ".asm", ""},
    {R"(C:\)", "", R"(\)"},
    {R"(C:\a\b\)", "", R"(b\)"},
    {"", "", ""},
    {R"(C:\w\TOP.ASM.3)", ".ASM", "TOP"},
    {"a/b/top.asm.3", ".asm", "a/b/top"},  // "/" is an ordinary character here
    {R"(\\server\share\x.asm.1)", ".asm", "x"},
};

const SplitCase kPosixCases[] = {
    {"/a/b/top.asm.3", ".asm", "top"},
    {"C:top.asm", ".asm", "C:top"},  // no drive prefix in POSIX style
    {"/a.b/top", "", "top"},
    {"/", "", "/"},
    {"/a/b/", "", "b/"},
    {"", "", ""},
    {R"(/w/x\top.asm.7)", ".asm", R"(x\top)"},  // "\" is an ordinary character here
    {"/home/user/gear box.asm.4", ".asm", "gear box"},
};

TEST(PathSplit, WindowsStyle) {
  for (const auto& c : kWindowsCases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(kelvaron::GetExt(QString::fromUtf8(c.path), PathStyle::Windows), QString::fromUtf8(c.ext));
    EXPECT_EQ(kelvaron::Zerlege(QString::fromUtf8(c.path), PathStyle::Windows), QString::fromUtf8(c.name));
  }
}

TEST(PathSplit, PosixStyle) {
  for (const auto& c : kPosixCases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(kelvaron::GetExt(QString::fromUtf8(c.path), PathStyle::Posix), QString::fromUtf8(c.ext));
    EXPECT_EQ(kelvaron::Zerlege(QString::fromUtf8(c.path), PathStyle::Posix), QString::fromUtf8(c.name));
  }
}

TEST(PathSplit, LongPathsHaveNoLengthLimit) {
  const QString longFolder = QStringLiteral("/") + QString(40000, u'x');
  EXPECT_EQ(kelvaron::Zerlege(longFolder + "/top.asm.3", PathStyle::Posix), "top");
  EXPECT_EQ(kelvaron::GetExt(longFolder + "/top.asm.3", PathStyle::Posix), ".asm");
}

TEST(ExistenceTests, FilesFoldersAndNothing) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString file = dir.filePath("top.asm.1");
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  const QString missing = dir.filePath("missing.asm");

  EXPECT_TRUE(kelvaron::FileExists(file));
  EXPECT_FALSE(kelvaron::FileExists(dir.path()));
  EXPECT_FALSE(kelvaron::FileExists(missing));
  EXPECT_FALSE(kelvaron::FileExists(""));
  EXPECT_FALSE(kelvaron::FileExists(dir.filePath("top.asm.1/inside")));

  EXPECT_TRUE(kelvaron::DirExists(dir.path()));
  EXPECT_FALSE(kelvaron::DirExists(file));
  EXPECT_FALSE(kelvaron::DirExists(missing));
  EXPECT_FALSE(kelvaron::DirExists(""));
  EXPECT_FALSE(QFile::exists(missing)) << "an existence test must not create anything";
}

TEST(Pruefsumme, ByteSumModulo256) {
  EXPECT_EQ(kelvaron::Prüfsumme("abc"), 38);
  EXPECT_EQ(kelvaron::Prüfsumme(""), 0);
  EXPECT_EQ(kelvaron::Prüfsumme(QString::fromUtf8("\xC3\xBC")), 252);  // ü is one byte
  EXPECT_EQ(kelvaron::Prüfsumme(QString(256, u'\x01')), 0);
}

}  // namespace
