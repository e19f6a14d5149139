#include "platform/dirlisting.h"
#include "platform/nativepath.h"
#include "scratchtree.h"

#include <gtest/gtest.h>


using namespace kelvaron::platform;

namespace {

using kelvaron::testing::ScratchTree;

QStringList names(const std::vector<DirEntry>& entries) {
  QStringList out;
  for (const DirEntry& e : entries) out << e.name;
  return out;
}

TEST(DirListing, SortedCaseInsensitivelyTiesByBytes) {
  ScratchTree tmp;
  for (const char* n : {"b.asm", "A.asm", "a.asm", "C_x", "cx", "B.ASM.2"}) tmp.file(n);
  const auto entries = Folder::open(tmp.path()).list(u"*");
  ASSERT_TRUE(entries);
  EXPECT_EQ(names(*entries), (QStringList{"A.asm", "a.asm", "b.asm", "B.ASM.2", "cx", "C_x"}));
}

TEST(DirListing, KindsPatternAndFetchCount) {
  ScratchTree tmp;
  tmp.dir("old.asm.1");
  tmp.file("top.asm.3");
  tmp.file("notes.txt");
  tmp.link("old.asm.1", "link.asm");
  tmp.link("top.asm.3", "filelink.asm.9");

  int fetches = 0;
  const auto all = Folder::open(tmp.path()).list(u"*", [&] { ++fetches; });
  ASSERT_TRUE(all);
  EXPECT_EQ(fetches, 5 + 2 + 1) << "one call per entry read, . and .. included, one after the last";

  const auto matched = Folder::open(tmp.path()).list(u"*.asm.*");
  ASSERT_TRUE(matched);
  ASSERT_EQ(names(*matched), (QStringList{"filelink.asm.9", "link.asm", "old.asm.1", "top.asm.3"}));
  const struct {
    bool isFolder, isLink;
  } expected[] = {{false, true}, {false, true}, {true, false}, {false, false}};
  for (std::size_t i = 0; i < matched->size(); ++i) {
    EXPECT_EQ((*matched)[i].isFolder, expected[i].isFolder) << i;
    EXPECT_EQ((*matched)[i].isLink, expected[i].isLink) << i;
  }
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
