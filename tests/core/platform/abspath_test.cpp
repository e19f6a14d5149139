#include "platform/modelnames.h"

#include <gtest/gtest.h>

// Plain paths take a short cut past std::filesystem; both ways must agree, and
// a folded ".." leaves no trailing separator but at a root.
TEST(AbsolutePath, PlainPathsAndNormalisedOnesAgree) {
#ifndef _WIN32
  const std::filesystem::path folder("/work/here");
  const std::pair<const char*, const char*> cases[] = {
      {"/a/b.asm", "/a/b.asm"},
      {"b.asm", "/work/here/b.asm"},
      {"x/b.asm.3", "/work/here/x/b.asm.3"},
      {"/a/./b.asm", "/a/b.asm"},
      {"/a//b.asm", "/a/b.asm"},
      {"x/../b.asm", "/work/here/b.asm"},
      {"./b.asm", "/work/here/b.asm"},
      {"..", "/work"},
      {"/a/b/..", "/a"},
      {"/..", "/"},
      {"/a/.hidden.asm", "/a/.hidden.asm"},
  };
  for (const auto& [path, absolute] : cases) EXPECT_EQ(kelvaron::platform::absolutePath(path, folder), absolute) << path;
  EXPECT_EQ(kelvaron::platform::absolutePath("b.asm", "/"), "/b.asm");
#else
  // Either separator in, "\\" out; a path rooted without a drive takes the
  // working folder's drive; UNC paths keep their server and share.
  const std::filesystem::path folder(L"C:\\work\\here");
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\a\\b.asm", "C:\\a\\b.asm"},
      {"C:/a/b.asm", "C:\\a\\b.asm"},
      {"D:\\a\\.\\b.asm", "D:\\a\\b.asm"},
      {"b.asm", "C:\\work\\here\\b.asm"},
      {"x/b.asm.3", "C:\\work\\here\\x\\b.asm.3"},
      {"x\\..\\b.asm", "C:\\work\\here\\b.asm"},
      {"/a/b.asm", "C:\\a\\b.asm"},
      {"\\a\\b.asm", "C:\\a\\b.asm"},
      {"\\\\server\\share\\cad\\top.asm", "\\\\server\\share\\cad\\top.asm"},
      {"//server/share/cad/./top.asm", "\\\\server\\share\\cad\\top.asm"},
  };
  for (const auto& [path, absolute] : cases)
    EXPECT_EQ(kelvaron::platform::absolutePath(QString::fromUtf8(path), folder), QString::fromUtf8(absolute)) << path;
#endif
}
