#include "search/cFindFile.h"

#include "platform/nativepath.h"
#include "scratchtree.h"

#include <gtest/gtest.h>

#include <QDir>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <iostream>
#include <stdexcept>

using kelvaron::cFindFile;
using kelvaron::FindFileError;
using kelvaron::testing::ScratchTree;

namespace {

// Records a walk as lines "match REL" (REL relative to the start folder) and
// "stop"; the handlers below may add behaviour to each event.
struct Recorder {
  explicit Recorder(cFindFile& finder, QString root) : root(std::move(root)) {
    QObject::connect(
        &finder, &cFindFile::MatchFound, &finder,
        [this](const QString& sFilename, const QString& sFilePath) {
          EXPECT_TRUE(sFilePath.endsWith(u'/')) << sFilePath.toStdString();
          const QString full = sFilePath + sFilename;
          events << "match " + (full.startsWith(this->root) ? full.mid(this->root.size()) : full);
          if (onMatch) onMatch(full);
        },
        Qt::DirectConnection);
    QObject::connect(
        &finder, &cFindFile::StopSearch, &finder,
        [this](bool& Cancel) {
          EXPECT_FALSE(Cancel) << "Cancel arrives false";
          events << QStringLiteral("stop");
          ++stops;
          if (onStop) onStop(stops, Cancel);
        },
        Qt::DirectConnection);
  }
  QString root;  // with trailing "/"
  QStringList events;
  int stops = 0;
  std::function<void(const QString&)> onMatch;
  std::function<void(int, bool&)> onStop;
};

// root: A.asm, b.asm.1, notes.txt, old.asm.1/ (inner.asm), Sub1/ (d.asm.2, deep/ (e.ASM)), sub2/ (c.asm)
void buildSample(const ScratchTree& t) {
  t.file("b.asm.1");
  t.file("A.asm");
  t.file("notes.txt");
  t.dir("sub2");
  t.file("sub2/c.asm");
  t.dir("Sub1");
  t.file("Sub1/d.asm.2");
  t.dir("Sub1/deep");
  t.file("Sub1/deep/e.ASM");
  t.dir("old.asm.1");
  t.file("old.asm.1/inner.asm");
}

const QStringList kSampleWalk = {
    "match A.asm",          "match b.asm.1", "match old.asm.1", "stop", "match old.asm.1/inner.asm",
    "stop",                 "match Sub1/d.asm.2", "stop", "match Sub1/deep/e.ASM",
    "stop",                 "match sub2/c.asm"};

int openDescriptors() {
  return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                        std::filesystem::directory_iterator{}));
}

TEST(cFindFile, CreationValuesAndProperties) {
  cFindFile finder;
  EXPECT_EQ(finder.sFileFlag(), 439);
  EXPECT_TRUE(finder.sInclSubfolders());
  EXPECT_EQ(finder.sSearchpath(), QString());
  EXPECT_EQ(finder.sFileToFind(), QString());
  finder.sFileFlag(7);
  finder.sInclSubfolders(false);
  finder.sFileToFind("*.prt");
  finder.sSearchpath("/x");
  EXPECT_EQ(finder.sFileFlag(), 7);
  EXPECT_FALSE(finder.sInclSubfolders());
  EXPECT_EQ(finder.sFileToFind(), "*.prt");
  EXPECT_EQ(finder.sSearchpath(), "/x");
}

TEST(cFindFile, WalkOrderAndFinalSearchpath) {
  ScratchTree t;
  buildSample(t);
  for (const QString& start : {t.path(), t.path() + "/"}) {
    cFindFile finder;
    Recorder rec(finder, t.path() + "/");
    finder.sFileToFind("*.asm.*");
    finder.sSearchpath(start);
    finder.sStartSearch();
    EXPECT_EQ(rec.events, kSampleWalk) << start.toStdString();
    EXPECT_EQ(finder.sSearchpath(), t.path("sub2"));
  }
}

TEST(cFindFile, WithoutSubfoldersNoStopSearch) {
  ScratchTree t;
  buildSample(t);
  cFindFile finder;
  Recorder rec(finder, t.path() + "/");
  finder.sFileToFind("*.asm.*");
  finder.sSearchpath(t.path());
  finder.sInclSubfolders(false);
  finder.sStartSearch();
  EXPECT_EQ(rec.events, (QStringList{"match A.asm", "match b.asm.1", "match old.asm.1"}));
  EXPECT_EQ(finder.sSearchpath(), t.path());
}

TEST(cFindFile, CancelEndsOnlyTheFolderThatGotIt) {
  // root: r.asm, a/ (a.asm, a1/ (x.asm), a2/ (y.asm)), b/ (b.asm)
  ScratchTree t;
  t.file("r.asm");
  t.dir("a");
  t.file("a/a.asm");
  t.dir("a/a1");
  t.file("a/a1/x.asm");
  t.dir("a/a2");
  t.file("a/a2/y.asm");
  t.dir("b");
  t.file("b/b.asm");
  const struct {
    int cancelAt;
    QStringList walk;
  } cases[] = {
      {1, {"match r.asm", "stop"}},
      {2, {"match r.asm", "stop", "match a/a.asm", "stop", "stop", "match b/b.asm"}},
      {3,
       {"match r.asm", "stop", "match a/a.asm", "stop", "match a/a1/x.asm", "stop", "stop",
        "match b/b.asm"}},
      {4,
       {"match r.asm", "stop", "match a/a.asm", "stop", "match a/a1/x.asm", "stop",
        "match a/a2/y.asm", "stop"}},
  };
  for (const auto& c : cases) {
    cFindFile finder;
    Recorder rec(finder, t.path() + "/");
    rec.onStop = [&](int n, bool& Cancel) { Cancel = n == c.cancelAt; };
    finder.sFileToFind("*.asm");
    finder.sSearchpath(t.path());
    finder.sStartSearch();
    EXPECT_EQ(rec.events, c.walk) << "cancel at StopSearch " << c.cancelAt;
  }
}

TEST(cFindFile, LinksAreReportedNeverEntered) {
  // A loop back to the root and a link to a file; the walk must end.
  ScratchTree t;
  t.dir("sub");
  t.file("sub/real.asm");
  t.link("..", "sub/back.asm.1");
  t.link("real.asm", "sub/alias.asm.2");
  t.link(t.root(), "loop");
  cFindFile finder;
  Recorder rec(finder, t.path() + "/");
  finder.sFileToFind("*.asm.*");
  finder.sSearchpath(t.path());
  finder.sStartSearch();
  EXPECT_EQ(rec.events,
            (QStringList{"stop", "match sub/alias.asm.2", "match sub/back.asm.1", "match sub/real.asm"}));
}

TEST(cFindFile, HiddenEntriesAndCaseAreNotSpecial) {
  ScratchTree t;
  t.file(".hidden.asm");
  t.dir(".git");
  t.file(".git/X.Asm.3");
  t.file("UPPER.ASM");
  cFindFile finder;
  Recorder rec(finder, t.path() + "/");
  finder.sFileToFind("*.asm.*");
  finder.sSearchpath(t.path());
  finder.sStartSearch();
  EXPECT_EQ(rec.events, (QStringList{"match .hidden.asm", "match UPPER.ASM", "stop", "match .git/X.Asm.3"}));
}

TEST(cFindFile, WalksBeyondPathMax) {
  // 35 levels of 120-character names: the deepest path is past 4096 bytes.
  ScratchTree t;
  const std::string name(120, 'n');
  t.chain("", name, 35, "bottom.asm.1");
  cFindFile finder;
  QString found;
  int depth = 0;
  QObject::connect(&finder, &cFindFile::MatchFound, &finder,
                   [&](const QString& n, const QString& p) { found = p + n; });
  QObject::connect(&finder, &cFindFile::StopSearch, &finder, [&](bool&) { ++depth; });
  finder.sFileToFind("*.asm.*");
  finder.sSearchpath(t.path());
  finder.sStartSearch();
  EXPECT_EQ(depth, 35);
  EXPECT_GT(found.size(), 4096);
  EXPECT_TRUE(found.endsWith(QString::fromStdString("/" + name + "/bottom.asm.1")));
}

TEST(cFindFile, InvalidUtf8NameRoundTrips) {
  ScratchTree t;
  t.file("caf\xE9.asm.1");
  cFindFile finder;
  QString found;
  QObject::connect(&finder, &cFindFile::MatchFound, &finder,
                   [&](const QString& n, const QString& p) { found = p + n; });
  finder.sFileToFind("*.asm.*");
  finder.sSearchpath(t.path());
  finder.sStartSearch();
  EXPECT_EQ(kelvaron::platform::toNativeBytes(found), t.root() + "/caf\xE9.asm.1");
}

TEST(cFindFile, UnlistableFoldersAreSkippedSilently) {
  // A folder that disappears before it is entered, and (when not root, whom
  // modes do not stop) a folder without read permission; siblings go on.
  ScratchTree t;
  t.dir("a_gone");
  t.file("a_gone/x.asm");
  t.dir("b_locked");
  t.file("b_locked/y.asm");
  t.dir("c_open");
  t.file("c_open/z.asm");
  const bool root = ::geteuid() == 0;
  if (!root) {
    ASSERT_EQ(::chmod((t.root() + "/b_locked").c_str(), 0), 0);
  }
  cFindFile finder;
  Recorder rec(finder, t.path() + "/");
  rec.onStop = [&](int n, bool&) {
    if (n == 1) std::filesystem::remove_all(kelvaron::platform::toNativePath(t.path("a_gone")));
  };
  finder.sFileToFind("*.asm");
  finder.sSearchpath(t.path());
  EXPECT_NO_THROW(finder.sStartSearch());
  QStringList expected{"stop", "stop", "match b_locked/y.asm", "stop", "match c_open/z.asm"};
  if (!root) expected.removeAt(2);
  EXPECT_EQ(rec.events, expected);
  if (root) std::cout << "[ INFO ] running as root: permission case not exercised\n";

  cFindFile missing;
  Recorder none(missing, {});
  missing.sFileToFind("*");
  missing.sSearchpath(t.path("no such folder"));
  EXPECT_NO_THROW(missing.sStartSearch());
  EXPECT_TRUE(none.events.isEmpty());
}

TEST(cFindFile, PropertiesAreReadAtTheStartOfEachFolder) {
  // Changing the pattern in a handler changes only folders entered later.
  ScratchTree t;
  t.file("a.asm");
  t.file("a.prt");
  t.dir("sub");
  t.file("sub/b.asm");
  t.file("sub/b.prt");
  cFindFile finder;
  Recorder rec(finder, t.path() + "/");
  rec.onMatch = [&](const QString&) { finder.sFileToFind("*.prt"); };
  finder.sFileToFind("*.asm");
  finder.sSearchpath(t.path());
  finder.sStartSearch();
  EXPECT_EQ(rec.events, (QStringList{"match a.asm", "stop", "match sub/b.prt"}));
}

TEST(cFindFile, EmptyPathSearchesTheRoot) {
  cFindFile finder;
  QStringList paths;
  QObject::connect(&finder, &cFindFile::MatchFound, &finder,
                   [&](const QString&, const QString& p) { paths << p; });
  finder.sFileToFind("*");
  finder.sInclSubfolders(false);
  finder.sStartSearch();
  ASSERT_FALSE(paths.isEmpty());
  EXPECT_EQ(paths.front(), "/");
}

TEST(cFindFile, AnyFailureIsError9999AtEveryDepthWithListingsClosed) {
  // root: r.asm, l1/ (l1.asm, l2/ (l2.asm, l3/ (l3.asm)))
  ScratchTree t;
  t.file("r.asm");
  t.dir("l1");
  t.file("l1/l1.asm");
  t.dir("l1/l2");
  t.file("l1/l2/l2.asm");
  t.dir("l1/l2/l3");
  t.file("l1/l2/l3/l3.asm");
  enum class Where { Match, Stop, Yield };
  const struct {
    Where where;
    int at;  // the how-many-th event of that kind throws
  } cases[] = {{Where::Match, 1}, {Where::Match, 2}, {Where::Match, 3}, {Where::Match, 4},
               {Where::Stop, 1},  {Where::Stop, 3},  {Where::Yield, 1}, {Where::Yield, 20}};
  for (const auto& c : cases) {
    const int descriptorsBefore = openDescriptors();
    cFindFile finder;
    int count = 0;
    auto maybeThrow = [&](Where w) {
      if (w == c.where && ++count == c.at) throw std::runtime_error("handler failed");
    };
    QObject::connect(&finder, &cFindFile::MatchFound, &finder,
                     [&](const QString&, const QString&) { maybeThrow(Where::Match); });
    QObject::connect(&finder, &cFindFile::StopSearch, &finder, [&](bool&) { maybeThrow(Where::Stop); });
    finder.setYieldHook([&] { maybeThrow(Where::Yield); });
    finder.sFileToFind("*.asm");
    finder.sSearchpath(t.path());
    try {
      finder.sStartSearch();
      ADD_FAILURE() << "no error for case " << int(c.where) << "/" << c.at;
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
