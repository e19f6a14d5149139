#include "platform/dirlisting.h"
#include "scratchtree.h"

#include <gtest/gtest.h>

using namespace kelvaron::platform;
using kelvaron::testing::ScratchTree;

namespace {

// Names sorted case-insensitively, ties by bytes; a link is marked, never opened as a child, and leads to the
// same folder identity as its target.
TEST(DirListing, SortedKindsAndLinks) {
  ScratchTree tmp;
  for (const char* n : {"b.asm", "A.asm", "a.asm", "C_x", "cx", "B.ASM.2"}) tmp.file(n);
  tmp.dir("sub.asm.1");
  tmp.link("sub.asm.1", "alias");
  tmp.link("b.asm", "filelink.asm.9");
  const Folder folder = Folder::open(tmp.path());
  const auto entries = folder.list(u"*");
  ASSERT_TRUE(entries);
  QStringList names;  // name, folder?, link?
  for (const DirEntry& e : *entries) names << QString("%1 %2%3").arg(e.name).arg(e.isFolder).arg(e.isLink);
  EXPECT_EQ(names, (QStringList{"A.asm 00", "a.asm 00", "alias 01", "b.asm 00", "B.ASM.2 00", "cx 00", "C_x 00",
                                "filelink.asm.9 01", "sub.asm.1 10"}));
  EXPECT_EQ(folder.list(u"*.asm.*")->size(), 6u);
  EXPECT_FALSE(folder.openChild("alias").isOpen());
  const Folder sub = folder.openChild("sub.asm.1");
  ASSERT_TRUE(sub.isOpen());
  EXPECT_EQ(sub.id(), Folder::open(tmp.path() + "/alias").id());
  EXPECT_NE(sub.id(), folder.id());
  EXPECT_FALSE(Folder::open(tmp.path() + "/missing").list(u"*"));
}

}  // namespace
