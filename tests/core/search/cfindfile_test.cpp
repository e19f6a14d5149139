#include "search/cFindFile.h"

#include "scratchtree.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <stdexcept>

using kelvaron::cFindFile;
using kelvaron::FindFileError;
using kelvaron::testing::ScratchTree;

namespace {

// A finder over `start` that records its walk as lines "match REL" (REL
// relative to `start`) and "stop"; the hooks add behaviour to each event.
struct Walk {
  cFindFile finder;
  QString root;
  QStringList events;
  int stops = 0;
  std::function<void()> onMatch;
  std::function<void(int n, bool& Cancel)> onStop;

  Walk(const QString& start, const QString& pattern) : root(start + "/") {
    finder.sSearchpath(start);
    finder.sFileToFind(pattern);
    QObject::connect(&finder, &cFindFile::MatchFound, &finder, [this](const QString& name, const QString& folder) {
      EXPECT_TRUE(folder.endsWith(u'/')) << folder.toStdString();
      const QString full = folder + name;
      events << "match " + (full.startsWith(root) ? full.mid(root.size()) : full);
      if (onMatch) onMatch();
    });
    QObject::connect(&finder, &cFindFile::StopSearch, &finder, [this](bool& Cancel) {
      EXPECT_FALSE(Cancel) << "Cancel arrives false";
      events << "stop";
      ++stops;
      if (onStop) onStop(stops, Cancel);
    });
  }
  QStringList run() {
    finder.sStartSearch();
    return events;
  }
};

// Counts the matches of a walk over `root` in a mount namespace of its own,
// where `twin` shows the folder `original` a second time (a bind mount).
// -1 when the system allows no such namespace here.
int matchesWithBindMount(const std::string& root, const std::string& original, const std::string& twin) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 && ::unshare(CLONE_NEWNS) != 0) ::_exit(255);
    ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
    if (::mount(original.c_str(), twin.c_str(), nullptr, MS_BIND, nullptr) != 0) ::_exit(255);
    struct Count final : kelvaron::WalkVisitor {
      int n = 0;
      kelvaron::WalkState visit(const kelvaron::WalkEntry&) override { return ++n, kelvaron::WalkState::Continue; }
    } count;
    kelvaron::walkFolder(QString::fromStdString(root), u"*.asm", true, count);
    ::_exit(count.n);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) != 255 ? WEXITSTATUS(status) : -1;
}

int openDescriptors() {
  return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
}

TEST(cFindFile, WalkOrderSubfoldersAndFinalSearchpath) {
  // Hidden entries and letter case are nothing special; a folder named like
  // an assembly is reported and entered.
  ScratchTree t;
  for (const char* d : {"sub2", "Sub1", "Sub1/deep", "old.asm.1", ".git"}) t.dir(d);
  for (const char* f : {"b.asm.1", "A.asm", "notes.txt", ".hidden.asm", "sub2/c.asm", "Sub1/d.asm.2", "Sub1/deep/e.ASM",
                        "old.asm.1/inner.asm", ".git/X.Asm.3"})
    t.file(f);
  const QStringList walk = {"match .hidden.asm",
                            "match A.asm",
                            "match b.asm.1",
                            "match old.asm.1",
                            "stop",
                            "match .git/X.Asm.3",
                            "stop",
                            "match old.asm.1/inner.asm",
                            "stop",
                            "match Sub1/d.asm.2",
                            "stop",
                            "match Sub1/deep/e.ASM",
                            "stop",
                            "match sub2/c.asm"};
  for (const QString& start : {t.path(), t.path() + "/"}) {
    Walk w(start, "*.asm.*");
    w.root = t.path() + "/";
    EXPECT_EQ(w.run(), walk) << start.toStdString();
    EXPECT_EQ(w.finder.sSearchpath(), t.path("sub2"));
  }
  Walk flat(t.path(), "*.asm.*");  // without subfolders: no StopSearch at all
  flat.finder.sInclSubfolders(false);
  EXPECT_EQ(flat.run(), (QStringList{"match .hidden.asm", "match A.asm", "match b.asm.1", "match old.asm.1"}));
  EXPECT_EQ(flat.finder.sSearchpath(), t.path());
}

TEST(cFindFile, CancelEndsOnlyTheFolderThatGotIt) {
  ScratchTree t;
  for (const char* d : {"a", "a/a1", "a/a2", "b"}) t.dir(d);
  for (const char* f : {"r.asm", "a/a.asm", "a/a1/x.asm", "a/a2/y.asm", "b/b.asm"}) t.file(f);
  const struct {
    int cancelAt;
    QStringList walk;
  } cases[] = {
      {1, {"match r.asm", "stop"}},
      {2, {"match r.asm", "stop", "match a/a.asm", "stop", "stop", "match b/b.asm"}},
      {3, {"match r.asm", "stop", "match a/a.asm", "stop", "match a/a1/x.asm", "stop", "stop", "match b/b.asm"}},
      {4, {"match r.asm", "stop", "match a/a.asm", "stop", "match a/a1/x.asm", "stop", "match a/a2/y.asm", "stop"}},
  };
  for (const auto& c : cases) {
    Walk w(t.path(), "*.asm");
    w.onStop = [&](int n, bool& Cancel) { Cancel = n == c.cancelAt; };
    EXPECT_EQ(w.run(), c.walk) << "cancel at StopSearch " << c.cancelAt;
  }
}

TEST(cFindFile, LinksAreReportedAndLoopsEnd) {
  // A loop back to the root and a link to a file; the walk must end.
  ScratchTree t;
  t.dir("sub");
  t.file("sub/real.asm");
  t.link("..", "sub/back.asm.1");
  t.link("real.asm", "sub/alias.asm.2");
  t.link(t.root(), "loop");
  EXPECT_EQ(Walk(t.path(), "*.asm.*").run(),
            (QStringList{"stop", "match sub/alias.asm.2", "match sub/back.asm.1", "match sub/real.asm"}));
}

TEST(cFindFile, NoFolderIsEnteredTwice) {
  // Regression: without the identity check the bound folder was walked twice.
  ScratchTree t;
  for (const char* d : {"a", "b"}) t.dir(d);
  t.file("a/x.asm");
  const int n = matchesWithBindMount(t.root(), t.root() + "/a", t.root() + "/b");
  if (n < 0) GTEST_SKIP() << "no mount namespace available";
  EXPECT_EQ(n, 1);
}

TEST(cFindFile, WalksBeyondPathMax) {
  // 35 levels of 120-character names: the deepest path is past 4096 bytes.
  ScratchTree t;
  const std::string name(120, 'n');
  t.chain(name, 35, "bottom.asm.1");
  Walk w(t.path(), "*.asm.*");
  const QStringList events = w.run();
  EXPECT_EQ(w.stops, 35);
  ASSERT_EQ(events.size(), 36);
  EXPECT_GT(events.last().size(), 4096);
  EXPECT_TRUE(events.last().endsWith(QString::fromStdString("/" + name + "/bottom.asm.1")));
}

TEST(cFindFile, UnlistableFoldersAreSkippedSilently) {
  // A folder that disappears before it is entered, and (unless running as
  // root, whom modes do not stop) a folder without read permission.
  ScratchTree t;
  for (const char* d : {"a_gone", "b_locked", "c_open"}) t.dir(d);
  for (const char* f : {"a_gone/x.asm", "b_locked/y.asm", "c_open/z.asm"}) t.file(f);
  const bool root = ::geteuid() == 0;
  ASSERT_EQ(root ? 0 : ::chmod((t.root() + "/b_locked").c_str(), 0), 0);
  Walk w(t.path(), "*.asm");
  w.onStop = [&](int n, bool&) {
    if (n == 1) std::filesystem::remove_all(t.root() + "/a_gone");
  };
  QStringList expected{"stop", "stop", "match b_locked/y.asm", "stop", "match c_open/z.asm"};
  if (!root) expected.removeAt(2);
  EXPECT_EQ(w.run(), expected);
  EXPECT_TRUE(Walk(t.path("no such folder"), "*").run().isEmpty());
}

TEST(cFindFile, EmptyPathSearchesTheRoot) {  // "" is the root folder, not the working folder
  Walk w(QString(), "*");
  w.root = "//";  // events keep the full path
  w.finder.sInclSubfolders(false);
  ASSERT_FALSE(w.run().isEmpty());
  EXPECT_TRUE(w.events.first().startsWith("match /") && w.events.first().count('/') == 1)
      << w.events.first().toStdString();
}

TEST(cFindFile, AnyFailureIsError9999AtEveryDepthWithListingsClosed) {
  ScratchTree t;
  for (const char* d : {"l1", "l1/l2", "l1/l2/l3"}) t.dir(d);
  for (const char* f : {"r.asm", "l1/l1.asm", "l1/l2/l2.asm", "l1/l2/l3/l3.asm"}) t.file(f);
  enum Where { Match, Stop, Yield };
  const struct {
    Where where;
    int at;  // the how-many-th event of that kind throws
  } cases[] = {{Match, 1}, {Match, 2}, {Match, 3}, {Match, 4}, {Stop, 1}, {Stop, 3}, {Yield, 1}, {Yield, 15}};
  for (const auto& c : cases) {
    const int descriptorsBefore = openDescriptors();
    int count = 0;
    auto maybeThrow = [&](Where w) {
      if (w == c.where && ++count == c.at) throw std::runtime_error("handler failed");
    };
    Walk w(t.path(), "*.asm");
    w.onMatch = [&] { maybeThrow(Match); };
    w.onStop = [&](int, bool&) { maybeThrow(Stop); };
    w.finder.setYieldHook([&] { return maybeThrow(Yield), true; });
    try {
      w.run();
      ADD_FAILURE() << "no error for case " << c.where << "/" << c.at;
    } catch (const FindFileError& e) {
      EXPECT_EQ(e.number(), 9999);
      EXPECT_EQ(e.source(), "cFindFile:sStartSearch Method");
      EXPECT_EQ(e.description(), "Fehler bei sStartSearch");
    }
    EXPECT_EQ(count, c.at) << "the search went on after the failure";
    EXPECT_EQ(openDescriptors(), descriptorsBefore) << "a listing was left open";
  }
}

}  // namespace
