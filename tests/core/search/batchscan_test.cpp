#include "search/batchscan.h"

#include "analysis/assemblyanalysis.h"

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

  std::filesystem::remove(t.root() + "/gone.asm.3");
  QStringList outcomes;  // the parts, or the reason for none
  for (const QString& path : found.paths) {
    if (const QString note = folderSkipNote(path); !note.isEmpty()) {
      outcomes << "skipped: " + note.section(": ", -1);
      continue;
    }
    const AssemblyAnalysis analysis = analyseAssembly(path);
    QStringList parts;
    for (const Component& c : analysis.components) parts << c.text();
    outcomes << (analysis.error.isEmpty() ? parts.join(' ') : QStringLiteral("error"));
  }
  // The name that is not UTF-8 is read through the path the walk gave; a file
  // that vanished after the walk is an error of its own and the rest go on; a
  // folder named like an assembly is skipped with a note, and was entered.
  EXPECT_EQ(outcomes, (QStringList{"GEAR", "error", "skipped: a folder, not a file", "BOLT NUT", "WASHER"}));
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
    const FolderMatches found = collectAssemblies(t.path(), {.stopRequested = [&] { return ++asked == c.stopAt; }});
    EXPECT_EQ(relative(found.paths, t.path()), c.paths) << "stop at " << c.stopAt;
    EXPECT_EQ(found.stopped, c.stopAt != 0);
    EXPECT_EQ(asked, c.stopAt ? c.stopAt : 3) << "no question after the stop";
  }
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
