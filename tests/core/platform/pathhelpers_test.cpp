#include "platform/pathhelpers.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <tuple>

using kelvaron::PathStyle;

namespace {

TEST(PathSplit, ExtensionAndName) {
  constexpr auto W = PathStyle::Windows, P = PathStyle::Posix;
  const std::tuple<PathStyle, QString, QString, QString> cases[] = {
      // style, path, extension, name
      {W, R"(C:\a\b\top.asm.3)", ".asm", "top"},
      {W, "top.asm.12", ".asm", "top"},
      {W, "C:top.asm", ".asm", "top"},
      {W, R"(C:\a.b\top)", "", "top"},
      {W, "top.asm.", ".asm", "top"},
      {W, "top..asm", ".asm", "top"},
      {W, "A.B.C.ASM.3", ".B", "A"},  // the dot furthest left wins
      {W, ".asm", ".asm", ""},
      {W, R"(C:\)", "", R"(\)"},
      {W, "", "", ""},
      {W, "a/b/top.asm.3", ".asm", "a/b/top"},  // "/" is an ordinary character here
      {P, "/a/b/top.asm.3", ".asm", "top"},
      {P, "C:top.asm", ".asm", "C:top"},  // no drive prefix in POSIX style
      {P, "/", "", "/"},
      {P, R"(/w/x\top.asm.7)", ".asm", R"(x\top)"},                   // "\" is an ordinary character here
      {P, "/" + QString(40000, u'x') + "/top.asm.3", ".asm", "top"},  // no length limit
  };
  for (const auto& [style, path, ext, name] : cases) {
    EXPECT_EQ(kelvaron::GetExt(path, style), ext) << path.left(20).toStdString();
    EXPECT_EQ(kelvaron::Zerlege(path, style), name) << path.left(20).toStdString();
  }
}

TEST(ExistenceTests, FilesFoldersAndNothing) {
  QTemporaryDir dir;
  const QString file = dir.filePath("top.asm.1"), missing = dir.filePath("x.asm");
  QFile made(file);
  ASSERT_TRUE(made.open(QIODevice::WriteOnly));
  made.close();
  for (const QString& path : {file, dir.path(), missing, QString(), file + "/in"})
    EXPECT_EQ(QString::number(kelvaron::FileExists(path)) + QString::number(kelvaron::DirExists(path)),
              path == file         ? "10"
              : path == dir.path() ? "01"
                                   : "00")
        << path.toStdString();
  EXPECT_FALSE(QFile::exists(missing)) << "an existence test must not create anything";
}

}  // namespace
