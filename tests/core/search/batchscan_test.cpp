#include "search/batchscan.h"

#include "common/scanall.h"
#include "search/cFindFile.h"

#include "scratchtree.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace kelvaron;
using kelvaron::testing::ScratchTree;

namespace {

// The paths found below `root`, relative to it.
QString relative(const FolderMatches& found, const QString& root) {
  QStringList out;
  for (const FoundEntry& e : found.entries) out << e.path.mid(root.size() + 1);
  return out.join(' ');
}

FolderMatches collect(const QString& folder, const WalkHooks& hooks = {}) {
  cFindFile finder;
  return collectAssemblies(finder, folder, hooks);
}

TEST(BatchScan, CollectsInWalkOrderAndAnalysesEachFile) {
  ScratchTree t;
  t.dir("old.asm.1");
  for (const char* f : {"top.asm.2", "readme.txt", "old.asm.1/inner.asm", "gone.asm.3", "caf\xE9.asm.1"})
    t.file(f, "3 3 " + std::string(f).substr(0, 3) + "@model_type 2\n");
  t.link("old.asm.1", "link.asm.2");
  int counted = 0;
  const FolderMatches found = collect(t.path(), {.found = [&](const FoundEntry&) { ++counted; }});
  EXPECT_FALSE(found.stopped);
  EXPECT_EQ(counted, static_cast<int>(found.entries.size()));
  EXPECT_EQ(relative(found, t.path()), QStringLiteral("caf") + QChar(0xDCE9) +
                                           ".asm.1 gone.asm.3 link.asm.2 old.asm.1 top.asm.2 old.asm.1/inner.asm");

  // The name that is not UTF-8 is read through the path the walk gave; a file
  // that vanished after the walk is an error of its own and the rest go on; a
  // folder named like an assembly, or a link to one, is skipped with a note.
  std::filesystem::remove(t.root() + "/gone.asm.3");
  QStringList outcomes;
  for (const FoundEntry& entry : found.entries) {
    const auto [analysis, lines] = kelvaron::testing::analyseListed(entry.path);
    const QString note = folderSkipNote(entry);
    outcomes << (!note.isEmpty() ? note.section(": ", -1) : analysis.ok() ? lines.mid(1).join(' ') : "error");
  }
  EXPECT_EQ(outcomes.join('|'), "caf|error|a folder, not a file|a folder, not a file|top|old");
}

TEST(BatchScan, StopKeepsWhatWasFoundAndUnwindsEveryLevel) {
  ScratchTree t;
  for (const char* d : {"a", "a/deep", "b"}) t.dir(d);
  for (const char* f : {"r.asm", "a/a.asm", "a/deep/d.asm", "b/b.asm"}) t.file(f);
  const std::pair<int, QString> cases[] = {
      // the how-many-th question answers "stop"
      {1, "r.asm"},
      {2, "r.asm a/a.asm"},
      {3, "r.asm a/a.asm a/deep/d.asm"},
      {0, "r.asm a/a.asm a/deep/d.asm b/b.asm"},
  };
  for (const auto& [stopAt, paths] : cases) {
    int asked = 0;
    const FolderMatches found = collect(t.path(), {.stopRequested = [&] { return ++asked == stopAt; }});
    EXPECT_EQ(relative(found, t.path()), paths) << "stop at " << stopAt;
    EXPECT_EQ(found.stopped, stopAt != 0);
    EXPECT_EQ(asked, stopAt ? stopAt : 3) << "no question after the stop";
  }
  int fetches = 0;  // a yield that answers "stop" ends the walk inside the first listing
  const FolderMatches cut = collect(t.path(), {.yield = [&] { return ++fetches < 2; }});
  EXPECT_TRUE(cut.stopped && cut.entries.empty() && fetches == 2);
}

TEST(LatestVersions, KeepsTheHighestPerFolderAndName) {
  const std::pair<QStringList, QStringList> cases[] = {
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
  for (const auto& [in, out] : cases)
    EXPECT_EQ(latestVersions(in, PathStyle::Posix), out) << in.join(' ').toStdString();
  EXPECT_EQ(latestVersions({"C:\\p\\a.asm.1", "C:\\q\\a.asm.2", "C:\\p\\a.asm.5"}, PathStyle::Windows),
            (QStringList{"C:\\q\\a.asm.2", "C:\\p\\a.asm.5"}));
}

}  // namespace
