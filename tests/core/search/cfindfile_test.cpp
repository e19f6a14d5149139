#include "search/batchscan.h"
#include "search/cFindFile.h"

#include "common/systemcalls.h"
#include "platform/pathhelpers.h"
#include "scratchtree.h"

#include <QDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#ifndef _WIN32
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <functional>
#include <stdexcept>

using namespace kelvaron;
using kelvaron::testing::ScratchTree;

namespace {

// A finder over `start` that records its walk, space-separated: each match
// relative to `root`, "-" for each StopSearch; the hooks add behaviour to the events.
struct Walk {
  cFindFile finder;
  QString root;
  QStringList events;
  std::function<void()> onMatch;
  std::function<void(int n, bool& Cancel)> onStop;

  Walk(const QString& start, const QString& pattern, const QString& base = {})
      : root((base.isNull() ? start : base) + "/") {
    finder.sSearchpath(start);
    finder.sFileToFind(pattern);
    QObject::connect(&finder, &cFindFile::MatchFound, &finder, [this](const QString& name, const QString& folder) {
      EXPECT_TRUE(folder.endsWith(separator(nativePathStyle()))) << folder.toStdString();
      // The finder joins with the system's separator; the expectations are written with "/".
      const QString full = QDir::fromNativeSeparators(folder + name);
      events << (full.startsWith(root) ? full.mid(root.size()) : full);
      if (onMatch) onMatch();
    });
    QObject::connect(&finder, &cFindFile::StopSearch, &finder, [this](bool& Cancel) {
      EXPECT_FALSE(Cancel) << "Cancel arrives false";
      events << "-";
      if (onStop) onStop(int(events.count("-")), Cancel);
    });
  }
  QString run() {
    finder.sStartSearch();
    return events.join(' ');
  }
};

TEST(cFindFile, WalkOrderSubfoldersAndFinalSearchpath) {
  KELVARON_SKIP_ON_WINDOWS("symbolic links need a privilege there");
  // Hidden entries and letter case are nothing special; a folder named like
  // an assembly is reported and entered; links are reported, and one back
  // into the walk (a loop) or to a file is not entered.
  ScratchTree t;
  for (const char* d : {"sub2", "Sub1", "Sub1/deep", "old.asm.1", ".git"}) t.dir(d);
  for (const char* f : {"b.asm.1", "A.asm", "notes.txt", ".hidden.asm", "sub2/c.asm", "Sub1/d.asm.2", "Sub1/deep/e.ASM",
                        "old.asm.1/inner.asm", ".git/X.Asm.3"})
    t.file(f);
  t.link("..", "sub2/back.asm.1");
  t.link("c.asm", "sub2/alias.asm.2");
  t.link(t.root(), "loop");
  ScratchTree other;  // a link out of the tree is entered, after the real folders
  other.file("o.asm");
  t.link(other.root(), "alink");
  for (const QString& start : {t.path(), t.path() + "/"}) {
    Walk w(start, "*.asm.*", t.path());
    EXPECT_EQ(w.run(),
              ".hidden.asm A.asm b.asm.1 old.asm.1 - .git/X.Asm.3 - old.asm.1/inner.asm - Sub1/d.asm.2 - "
              "Sub1/deep/e.ASM - sub2/alias.asm.2 sub2/back.asm.1 sub2/c.asm - alink/o.asm");
    EXPECT_EQ(w.finder.sSearchpath(), t.path("alink"));
  }
  Walk flat(t.path(), "*.asm.*");  // without subfolders: no StopSearch at all
  flat.finder.sInclSubfolders(false);
  EXPECT_EQ(flat.run(), ".hidden.asm A.asm b.asm.1 old.asm.1");
  EXPECT_EQ(flat.finder.sSearchpath(), t.path());
}

// Regression: without the identity check a bind-mounted folder was walked
// twice. The walk runs in a child with a mount namespace of its own, where b
// shows a a second time; its exit status is the number of matches.
TEST(cFindFile, NoFolderIsEnteredTwice) {
#ifdef _WIN32
  GTEST_SKIP() << "not on Windows: no bind mounts";
#else
  ScratchTree t;
  for (const char* d : {"a", "b"}) t.dir(d);
  t.file("a/x.asm");
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 && ::unshare(CLONE_NEWNS) != 0) ::_exit(255);
    ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
    if (::mount((t.root() + "/a").c_str(), (t.root() + "/b").c_str(), nullptr, MS_BIND, nullptr) != 0) ::_exit(255);
    struct Count final : WalkVisitor {
      int n = 0;
      WalkState visit(const WalkEntry&) override { return ++n, WalkState::Continue; }
    } count;
    walkFolder(t.path(), u"*.asm", true, count);
    ::_exit(count.n);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) == 255) GTEST_SKIP() << "no mount namespace available";
  EXPECT_EQ(WEXITSTATUS(status), 1);
#endif
}

TEST(cFindFile, UnlistableFoldersAreSkippedSilentlyAndDeepOnesWalked) {
  // A folder that disappears before it is entered, and (unless running as
  // root, whom modes do not stop) a folder without read permission.
  KELVARON_SKIP_ON_WINDOWS("folder access is an ACL, not mode bits; long paths are the Windows tests' case");
  ScratchTree t;
  for (const char* d : {"a_gone", "b_locked", "c_open"}) t.dir(d);
  for (const char* f : {"a_gone/x.asm", "b_locked/y.asm", "c_open/z.asm"}) t.file(f);
  const bool root = kelvaron::testing::runsAsRoot();
  ASSERT_EQ(root ? 0 : ::chmod((t.root() + "/b_locked").c_str(), 0), 0);
  Walk w(t.path(), "*.asm");
  w.onStop = [&](int n, bool&) {
    if (n == 1) std::filesystem::remove_all(t.root() + "/a_gone");
  };
  EXPECT_EQ(w.run(), root ? "- - b_locked/y.asm - c_open/z.asm" : "- - - c_open/z.asm");
  EXPECT_EQ(Walk(t.path("no such folder"), "*").run(), "");
  Walk top(QString(), "*", "/");  // "" is the root folder, not the working folder
  top.finder.sInclSubfolders(false);
  EXPECT_TRUE(top.run().startsWith("/") && top.events.first().count('/') == 1)
      << top.events.join(' ').left(200).toStdString();
  // 35 levels of 120-character names: the deepest path is past 4096 bytes.
  ScratchTree deep;
  const std::string name(120, 'n');
  deep.chain(name, 35, "bottom.asm.1");
  Walk w2(deep.path(), "*.asm.*");
  w2.run();
  EXPECT_EQ(w2.events.count("-"), 35);
  EXPECT_GT(w2.events.last().size(), 4096);
  EXPECT_TRUE(w2.events.last().endsWith(QString::fromStdString("/" + name + "/bottom.asm.1")));
}

TEST(cFindFile, AnyFailureIsError9999AtEveryDepthWithListingsClosed) {
  KELVARON_SKIP_ON_WINDOWS("open handles are counted in /proc/self/fd");
  ScratchTree t;
  for (const char* d : {"l1", "l1/l2", "l1/l2/l3"}) t.dir(d);
  for (const char* f : {"r.asm", "l1/l1.asm", "l1/l2/l2.asm", "l1/l2/l3/l3.asm"}) t.file(f);
  const auto descriptors = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); };
  enum Where { Match, Stop, Yield };
  const std::pair<Where, int> cases[] = {{Match, 1}, {Match, 2}, {Match, 4}, {Stop, 1},
                                         {Stop, 3},  {Yield, 1}, {Yield, 15}};
  for (const auto& [where, at] : cases) {  // the at-th event of that kind throws
    const auto before = descriptors();
    int count = 0;
    auto maybeThrow = [&](Where w) {
      if (w == where && ++count == at) throw std::runtime_error("handler failed");
    };
    Walk w(t.path(), "*.asm");
    w.onMatch = [&] { maybeThrow(Match); };
    w.onStop = [&](int, bool&) { maybeThrow(Stop); };
    w.finder.setYieldHook([&] { return maybeThrow(Yield), true; });
    try {
      w.run();
      ADD_FAILURE() << "no error for case " << where << "/" << at;
    } catch (const kelvaron::FindFileError& e) {
      EXPECT_EQ(QStringList({QString::number(e.number()), e.source(), e.description()}).join('|'),
                "9999|cFindFile:sStartSearch Method|Fehler bei sStartSearch");
    }
    EXPECT_EQ(count, at) << "the search went on after the failure";
    EXPECT_EQ(descriptors(), before) << "a listing was left open";
  }
}

// The paths found below `root`, relative to it.
QString relative(const FolderMatches& found, const QString& root) {
  QStringList out;
  for (const FoundEntry& e : found.entries) out << QDir::fromNativeSeparators(e.path.mid(root.size() + 1));
  return out.join(' ');
}

FolderMatches collect(const QString& folder, const WalkHooks& hooks = {}) {
  cFindFile finder;
  return collectAssemblies(finder, folder, hooks);
}

// A Cancel ends the walk of the folder whose subfolder was to be entered; the
// batch's stop keeps what was found and refuses the next descent at every level.
TEST(cFindFile, CancelEndsOnlyTheFolderThatGotItAndAStopEndsAll) {
  ScratchTree t;
  for (const char* d : {"a", "a/a1", "a/a2", "b"}) t.dir(d);
  for (const char* f : {"r.asm", "a/a.asm", "a/a1/x.asm", "a/a2/y.asm", "b/b.asm"}) t.file(f);
  const std::tuple<int, QString, QString> cases[] = {
      // the n-th StopSearch cancels and the n-th question answers "stop" (0: none): the walk, the batch's paths
      {1, "r.asm -", "r.asm"},
      {2, "r.asm - a/a.asm - - b/b.asm", "r.asm a/a.asm"},
      {3, "r.asm - a/a.asm - a/a1/x.asm - - b/b.asm", "r.asm a/a.asm a/a1/x.asm"},
      {4, "r.asm - a/a.asm - a/a1/x.asm - a/a2/y.asm -", "r.asm a/a.asm a/a1/x.asm a/a2/y.asm"},
      {0, "r.asm - a/a.asm - a/a1/x.asm - a/a2/y.asm - b/b.asm", "r.asm a/a.asm a/a1/x.asm a/a2/y.asm b/b.asm"},
  };
  for (const auto& [at, walk, paths] : cases) {
    Walk w(t.path(), "*.asm");
    w.onStop = [&](int n, bool& Cancel) { Cancel = n == at; };
    EXPECT_EQ(w.run(), walk) << "cancel at StopSearch " << at;
    int asked = 0;
    const FolderMatches found = collect(t.path(), {.stopRequested = [&] { return ++asked == at; }});
    EXPECT_EQ(relative(found, t.path()), paths) << "stop at " << at;
    EXPECT_EQ(found.stopped, at != 0);
    EXPECT_EQ(asked, at ? at : 4) << "no question after the stop";
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
