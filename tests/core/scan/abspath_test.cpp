#include "scan/filescan.h"

#include <gtest/gtest.h>

// Plain paths take a short cut past std::filesystem; both ways must agree.
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
      {"..", "/work/"},
      {"/a/.hidden.asm", "/a/.hidden.asm"},
  };
  for (const auto& [path, absolute] : cases) EXPECT_EQ(kelvaron::absolutePathOf(path, folder), absolute) << path;
  EXPECT_EQ(kelvaron::absolutePathOf("b.asm", "/"), "/b.asm");
#endif
}
