// The folder texts the lists move through: roots ("/", "C:/") stay roots,
// ".." never climbs above one, and on Windows a folder is the same whatever
// the letter case of its name.

#include "platform/folderpaths.h"

#include <gtest/gtest.h>

namespace kelvaron::platform {
namespace {

#ifdef _WIN32
constexpr bool kNamesIgnoreCase = true;
#else
constexpr bool kNamesIgnoreCase = false;
#endif

TEST(FolderPaths, CleanTextsStayAtTheirRoot) {
  const std::pair<const char*, const char*> cases[] = {
      {"", ""},
      {"/a//b/", "/a/b"},
      {"/a/./b/..", "/a"},
      {"/..", "/"},
      {"/../../x", "/x"},
      {"/..x", "/..x"},
#ifdef _WIN32
      {"C:\\cad\\..\\x", "C:/x"},
      {"c:/..", "c:/"},
      {"C:\\..\\..\\cad\\", "C:/cad"},
      {"D:/..x/y", "D:/..x/y"},
      {"\\\\server\\share\\cad\\.\\a", "//server/share/cad/a"},
#endif
  };
  for (const auto& [text, clean] : cases) EXPECT_EQ(cleanFolderPath(QString::fromUtf8(text)).toStdString(), clean) << text;
}

TEST(FolderPaths, ParentsAndChildrenOfRootsAndFolders) {
  const std::pair<const char*, const char*> parents[] = {
      {"/a/b", "/a"}, {"/a", "/"}, {"/", ""}, {"C:/a/b", "C:/a"}, {"C:/a", "C:/"}, {"C:/", ""}, {"a", ""},
  };
  for (const auto& [path, parent] : parents) EXPECT_EQ(parentFolder(QString::fromUtf8(path)).toStdString(), parent) << path;
  const std::tuple<const char*, const char*, const char*> children[] = {
      {"/", "x.asm", "/x.asm"}, {"/a", "x.asm", "/a/x.asm"}, {"C:/", "x.asm", "C:/x.asm"}, {"C:/a", "b", "C:/a/b"},
  };
  for (const auto& [folder, name, child] : children)
    EXPECT_EQ(childPath(QString::fromUtf8(folder), QString::fromUtf8(name)).toStdString(), child) << folder;
}

TEST(FolderPaths, WithinComparesWholeNamesAndCaseAsTheSystemDoes) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"/a/b", "/a", true},
      {"/a", "/a", true},
      {"/ab", "/a", false},
      {"/a", "/a/b", false},
      {"/x/y", "/", true},
      {"/a", "", false},
      {"C:/cad/sub", "C:/", true},
      {"D:/cad", "C:/", false},
      {"C:/CAD/Sub", "c:/cad", kNamesIgnoreCase},
      {"/Proj", "/proj", kNamesIgnoreCase},
  };
  for (const auto& [folder, root, within] : cases)
    EXPECT_EQ(folderIsWithin(QString::fromUtf8(folder), QString::fromUtf8(root)), within) << folder << " in " << root;
}

}  // namespace
}  // namespace kelvaron::platform
