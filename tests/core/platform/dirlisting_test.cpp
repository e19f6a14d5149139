#include "platform/dirlisting.h"
#include "scratchtree.h"

#include <gtest/gtest.h>

using namespace kelvaron::platform;
using kelvaron::testing::ScratchTree;

namespace {

TEST(DirListing, SortedCaseInsensitivelyTiesByBytes) {
  ScratchTree tmp;
  for (const char* n : {"b.asm", "A.asm", "a.asm", "C_x", "cx", "B.ASM.2"}) tmp.file(n);
  const auto entries = Folder::open(tmp.path()).list(u"*");
  ASSERT_TRUE(entries);
  QStringList names;
  for (const DirEntry& e : *entries) names << e.name;
  EXPECT_EQ(names, (QStringList{"A.asm", "a.asm", "b.asm", "B.ASM.2", "cx", "C_x"}));
}

TEST(DirListing, KindsPatternAndFetchCount) {
  ScratchTree tmp;
  tmp.dir("old.asm.1");
  tmp.file("top.asm.3");
  tmp.file("notes.txt");
  tmp.link("old.asm.1", "link.asm");
  tmp.link("top.asm.3", "filelink.asm.9");
  EXPECT_FALSE(Folder::open(tmp.path()).list(u"*", [] { return false; })) << "a stop ends the listing";
  const auto matched = Folder::open(tmp.path()).list(u"*.asm.*");
  ASSERT_TRUE(matched);
  QStringList kinds;  // name, folder?, link?
  for (const DirEntry& e : *matched) kinds << QString("%1 %2%3").arg(e.name).arg(e.isFolder).arg(e.isLink);
  EXPECT_EQ(kinds, (QStringList{"filelink.asm.9 01", "link.asm 01", "old.asm.1 10", "top.asm.3 00"}));
}

TEST(DirListing, LinkIsNotOpenedAsChildAndIdentityIsShared) {
  ScratchTree tmp;
  tmp.dir("sub");
  tmp.link("sub", "alias");
  const Folder folder = Folder::open(tmp.path());
  EXPECT_FALSE(folder.openChild("alias").isOpen());
  const Folder sub = folder.openChild("sub");
  ASSERT_TRUE(sub.isOpen());
  EXPECT_EQ(sub.id(), Folder::open(tmp.path() + "/alias").id());
  EXPECT_NE(sub.id(), folder.id());
  EXPECT_FALSE(Folder::open(tmp.path() + "/missing").list(u"*"));
}

}  // namespace
