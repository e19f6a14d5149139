#include "search/batchscan.h"

#include "common/scanall.h"
#include "search/cFindFile.h"

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

QStringList relative(const FolderMatches& found, const QString& root) {
  QStringList out;
  for (const FoundEntry& e : found.entries) out << e.path.mid(root.size() + 1);
  return out;
}

FolderMatches collect(const QString& folder, const WalkHooks& hooks = {}) {
  cFindFile finder;
  return collectAssemblies(finder, folder, hooks);
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
  t.link("old.asm.1", "link.asm.2");
  const FolderMatches found = collect(t.path(), {.found = [&](const FoundEntry&) { ++counted; }});
  EXPECT_FALSE(found.stopped);
  EXPECT_EQ(counted, static_cast<int>(found.entries.size()));
  ASSERT_EQ(relative(found, t.path()), (QStringList{QStringLiteral("caf") + QChar(0xDCE9) + ".asm.1", "gone.asm.3",
                                                    "link.asm.2", "old.asm.1", "top.asm.2", "old.asm.1/inner.asm"}));

  std::filesystem::remove(t.root() + "/gone.asm.3");
  QStringList outcomes;  // the parts, or the reason for none
  for (const FoundEntry& entry : found.entries) {
    if (const QString note = folderSkipNote(entry); !note.isEmpty()) {
      outcomes << "skipped: " + note.section(": ", -1);
      continue;
    }
    const auto [analysis, lines] = kelvaron::testing::analyseListed(entry.path);
    outcomes << (analysis.error.isEmpty() ? lines.mid(1).join(' ') : QStringLiteral("error"));
  }
  // The name that is not UTF-8 is read through the path the walk gave; a file
  // that vanished after the walk is an error of its own and the rest go on; a
  // folder named like an assembly, or a link to one, is skipped with a note, and was entered.
  EXPECT_EQ(outcomes, (QStringList{"GEAR", "error", "skipped: a folder, not a file", "skipped: a folder, not a file",
                                   "BOLT NUT", "WASHER"}));
}

TEST(BatchScan, StopKeepsWhatWasFoundAndUnwindsEveryLevel) {
  ScratchTree t;
  for (const char* d : {"a", "a/deep", "b"}) t.dir(d);
  for (const char* f : {"r.asm", "a/a.asm", "a/deep/d.asm", "b/b.asm"}) t.file(f);
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
    const FolderMatches found = collect(t.path(), {.stopRequested = [&] { return ++asked == c.stopAt; }});
    EXPECT_EQ(relative(found, t.path()), c.paths) << "stop at " << c.stopAt;
    EXPECT_EQ(found.stopped, c.stopAt != 0);
    EXPECT_EQ(asked, c.stopAt ? c.stopAt : 3) << "no question after the stop";
  }
  int fetches = 0;  // a yield that answers "stop" ends the walk inside the first listing
  const FolderMatches cut = collect(t.path(), {.yield = [&] { return ++fetches < 2; }});
  EXPECT_TRUE(cut.stopped);
  EXPECT_TRUE(cut.entries.empty());
  EXPECT_EQ(fetches, 2);
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
      {{"/p/a.asm.99999999999999999999", "/p/a.asm.100000000000000000000"}, {"/p/a.asm.100000000000000000000"}},
      {{"/p/a.asm.bak", "/p/a.asm.1", "/p/a.asm."}, {"/p/a.asm.bak", "/p/a.asm.1", "/p/a.asm."}},
      {{"/p/a.b.asm.1", "/p/a.asm.2"}, {"/p/a.b.asm.1", "/p/a.asm.2"}},
  };
  for (const auto& c : cases) EXPECT_EQ(latestVersions(c.in, PathStyle::Posix), c.out) << c.in.join(' ').toStdString();
  EXPECT_EQ(latestVersions({"C:\\p\\a.asm.1", "C:\\q\\a.asm.2", "C:\\p\\a.asm.5"}, PathStyle::Windows),
            (QStringList{"C:\\q\\a.asm.2", "C:\\p\\a.asm.5"}));
}

}  // namespace
