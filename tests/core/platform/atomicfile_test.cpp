// Reports written whole or not at all, whatever ends the process, with the
// permission bits and read-only state a user gave the report before.

#include "platform/atomicfile.h"
#include "platform/filebytes.h"
#include "scratchtree.h"

#include <QDir>
#include <gtest/gtest.h>
#include <climits>
#include <csignal>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvaron::platform {
namespace {

using kelvaron::testing::ScratchTree;

std::string contentOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

mode_t modeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

int entryCount(const ScratchTree& t) {
  return static_cast<int>(QDir(t.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size());
}

// A replaced report came out 0644, and a read-only one was replaced.
TEST(AtomicFileTest, KeepsModeAndRefusesReadOnly) {
  const struct {
    mode_t before;  // 0: no file before
    bool written;
  } cases[] = {{0, true}, {0640, true}, {0600, true}, {0444, false}, {0400, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before);
    ScratchTree t;
    const std::string target = t.root() + "/r.txt";
    if (c.before != 0) {
      t.file("r.txt", "old");
      ASSERT_EQ(::chmod(target.c_str(), c.before), 0);
    }
    AtomicFile f;
    QString reason;
    ASSERT_EQ(f.open(t.path("r.txt"), &reason), c.written);
    if (!c.written) {
      EXPECT_EQ(reason, QStringLiteral("the report is read-only"));
      EXPECT_EQ(contentOf(target), "old");
      EXPECT_EQ(modeOf(target), c.before);
      continue;
    }
    f.write("new");
    EXPECT_EQ(entryCount(t), c.before != 0 ? 1 : 0) << "the temporary has no name while written";
    ASSERT_TRUE(f.commit(&reason)) << reason.toStdString();
    EXPECT_EQ(contentOf(target), "new");
    if (c.before != 0) {
      EXPECT_EQ(modeOf(target), c.before);
    }
    EXPECT_EQ(entryCount(t), 1);
  }
}

// A process killed while writing left "*.tmp-*" files behind.
TEST(AtomicFileTest, AKilledWriterLeavesNothing) {
  ScratchTree t;
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    AtomicFile f;
    QString reason;
    if (!f.open(t.path("r.txt"), &reason)) ::_exit(1);
    f.write(std::string(1 << 20, 'x'));
    [[maybe_unused]] const auto n = ::write(ready[1], "!", 1);
    ::pause();
    ::_exit(0);
  }
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  EXPECT_EQ(entryCount(t), 0);
}

// A write past the file-size limit killed the run with SIGXFSZ.
TEST(AtomicFileTest, AWritePastTheSizeLimitIsAnError) {
  ScratchTree t;
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    AtomicFile f;
    QString reason;
    if (!f.open(t.path("r.txt"), &reason)) ::_exit(2);
    f.write(std::string(1 << 20, 'x'));
    ::_exit(!f.commit(&reason) && reason == QStringLiteral("File too large") ? 0 : 3);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(entryCount(t), 0);
}

// A report folder past PATH_MAX could not be used.
TEST(AtomicFileTest, WritesPastTheSystemLimit) {
  ScratchTree t;
  const std::string name(200, 'd');
  const int levels = PATH_MAX / 200 + 2;
  t.chain(name, levels, "x");
  std::string rel;
  for (int i = 0; i < levels; ++i) rel += name + "/";
  AtomicFile f;
  QString reason;
  ASSERT_TRUE(f.open(t.path(rel + "r.txt"), &reason)) << reason.toStdString();
  f.write("deep");
  ASSERT_TRUE(f.commit(&reason)) << reason.toStdString();
  FileBytes back;
  ASSERT_TRUE(back.open(t.path(rel + "r.txt")));
  EXPECT_EQ(back.bytes(), "deep");
}

}  // namespace
}  // namespace kelvaron::platform
