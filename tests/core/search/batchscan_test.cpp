#include "search/batchscan.h"

#include "search/cFindFile.h"

#include "scratchtree.h"

#include <gtest/gtest.h>

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
