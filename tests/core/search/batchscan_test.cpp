#include "search/batchscan.h"

#include "platform/nativepath.h"
#include "scratchtree.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace kelvaron;
using kelvaron::testing::ScratchTree;

namespace {

// An assembly holding the given part names, one record each.
std::string assemblyBytes(std::initializer_list<const char*> parts) {
  std::string bytes = "#UGC:2 ASSEMBLY 1\n";
  for (const char* p : parts) bytes += std::string("3 3 ") + p + "@model_type 2\n";
  return bytes;
}

QStringList relative(const QStringList& paths, const QString& root) {
  QStringList out;
  for (const QString& p : paths) out << p.mid(root.size() + 1);
  return out;
}

QStringList componentNames(const AssemblyAnalysis& a) {
  QStringList out;
  for (const Component& c : a.components) out << c.text();
  return out;
}

TEST(BatchScan, CollectsInWalkOrderAndAnalysesEachFile) {
  ScratchTree t;
  t.file("top.asm.2", assemblyBytes({"BOLT", "NUT"}));
  t.file("readme.txt");
  t.dir("old.asm.1");
  t.file("old.asm.1/inner.asm", assemblyBytes({"WASHER"}));
  t.file("gone.asm.3", assemblyBytes({"PIN"}));
  t.file("caf\xE9.asm.1", assemblyBytes({"GEAR"}));

  int counted = 0;
  const FolderMatches found = collectAssemblies(t.path(), {.found = [&](const QString&) { ++counted; }});
  EXPECT_FALSE(found.stopped);
  EXPECT_EQ(counted, found.paths.size());
  ASSERT_EQ(relative(found.paths, t.path()),
            (QStringList{QStringLiteral("caf") + QChar(0xDCE9) + ".asm.1", "gone.asm.3", "old.asm.1",
                         "top.asm.2", "old.asm.1/inner.asm"}));

  std::filesystem::remove(platform::toNativePath(t.path("gone.asm.3")));
  std::vector<BatchItem> items;
  analyseMatches(found.paths, [&](BatchItem&& item) {
    items.push_back(std::move(item));
    return true;
  });
  ASSERT_EQ(items.size(), 5u);
  // The name that is not UTF-8 is read through the path the walk gave.
  EXPECT_TRUE(items[0].analysis.ok()) << items[0].analysis.error.toStdString();
  EXPECT_EQ(componentNames(items[0].analysis), QStringList{"GEAR"});
  // A file that vanished after the walk is an error of its own; the rest go on.
  EXPECT_FALSE(items[1].skipped());
  EXPECT_FALSE(items[1].analysis.error.isEmpty());
  // A folder named like an assembly is skipped with a note, and was entered.
  EXPECT_TRUE(items[2].skipped());
  EXPECT_TRUE(items[2].skipNote.contains("a folder")) << items[2].skipNote.toStdString();
  EXPECT_TRUE(items[2].analysis.components.empty());
  EXPECT_EQ(componentNames(items[3].analysis), (QStringList{"BOLT", "NUT"}));
  EXPECT_EQ(componentNames(items[4].analysis), QStringList{"WASHER"});
}

TEST(BatchScan, StopKeepsWhatWasFoundAndUnwindsEveryLevel) {
  // root: r.asm, a/ (a.asm, deep/ (d.asm)), b/ (b.asm)
  ScratchTree t;
  t.file("r.asm");
  t.dir("a");
  t.file("a/a.asm");
  t.dir("a/deep");
  t.file("a/deep/d.asm");
  t.dir("b");
  t.file("b/b.asm");
  const struct {
    int stopAt;  // the how-many-th question answers "stop"
    QStringList paths;
  } cases[] = {
      {1, {"r.asm"}},
      {2, {"r.asm", "a/a.asm"}},
      {3, {"r.asm", "a/a.asm", "a/deep/d.asm"}},
      {0, {"r.asm", "a/a.asm", "a/deep/d.asm", "b/b.asm"}},
  };
  for (const auto& c : cases) {
    int asked = 0;
    const FolderMatches found =
        collectAssemblies(t.path(), {.stopRequested = [&] { return ++asked == c.stopAt; }});
    EXPECT_EQ(relative(found.paths, t.path()), c.paths) << "stop at " << c.stopAt;
    EXPECT_EQ(found.stopped, c.stopAt != 0);
    EXPECT_EQ(asked, c.stopAt ? c.stopAt : 3) << "no question after the stop";
  }
}

TEST(BatchScan, VisitorEndsTheBatch) {
  int visited = 0;
  analyseMatches({"/nonexistent/a.asm", "/nonexistent/b.asm", "/nonexistent/c.asm"},
                 [&](BatchItem&& item) {
                   EXPECT_FALSE(item.analysis.error.isEmpty()) << item.path.toStdString();
                   return ++visited < 2;
                 });
  EXPECT_EQ(visited, 2);
}

TEST(LatestVersions, KeepsTheHighestPerFolderAndName) {
  const struct {
    QStringList in, out;
  } cases[] = {
      {{"/p/a.asm", "/p/a.asm.2", "/p/a.asm.10"}, {"/p/a.asm.10"}},
      {{"/p/a.asm.3", "/p/a.asm"}, {"/p/a.asm.3"}},
      {{"/p/a.asm", "/q/a.asm.1", "/p/b.asm.1"}, {"/p/a.asm", "/q/a.asm.1", "/p/b.asm.1"}},
      {{"/p/Hub.ASM.4", "/p/hub.asm.3"}, {"/p/Hub.ASM.4"}},
      {{"/p/a.asm.007", "/p/a.asm.12"}, {"/p/a.asm.12"}},
      {{"/p/a.asm.2", "/p/a.asm.02"}, {"/p/a.asm.2"}},
      {{"/p/a.asm.99999999999999999999", "/p/a.asm.100000000000000000000"},
       {"/p/a.asm.100000000000000000000"}},
      {{"/p/a.asm.bak", "/p/a.asm.1", "/p/a.asm."}, {"/p/a.asm.bak", "/p/a.asm.1", "/p/a.asm."}},
      {{"/p/a.b.asm.1", "/p/a.asm.2"}, {"/p/a.b.asm.1", "/p/a.asm.2"}},
      {{}, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(latestVersions(c.in, PathStyle::Posix), c.out) << c.in.join(' ').toStdString();
  }
  EXPECT_EQ(latestVersions({"C:\\p\\a.asm.1", "C:\\q\\a.asm.2", "C:\\p\\a.asm.5"}, PathStyle::Windows),
            (QStringList{"C:\\q\\a.asm.2", "C:\\p\\a.asm.5"}));
}

}  // namespace
