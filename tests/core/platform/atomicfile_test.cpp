// Reports written whole or not at all, whatever ends the process, with the
// permission bits and read-only state a user gave the report before.

#include "platform/atomicfile.h"
#include "scratchtree.h"

#include <QDir>
#include <gtest/gtest.h>
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

int entryCount(const ScratchTree& t) {
  return static_cast<int>(QDir(t.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size());
}

// A replaced report came out 0644, and a read-only one was replaced.
TEST(AtomicFileTest, KeepsModeAndRefusesReadOnly) {
  const struct {
    mode_t before;  // 0: no file before
    bool written;
  } cases[] = {{0, true}, {0640, true}, {0600, true}, {0444, false}};
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
    if (c.written) {
      f.write("new");
      EXPECT_EQ(entryCount(t), c.before != 0 ? 1 : 0) << "the temporary has no name while written";
      ASSERT_TRUE(f.commit(&reason)) << reason.toStdString();
    } else {
      EXPECT_EQ(reason, QStringLiteral("the report is read-only"));
    }
    std::ostringstream content;
    content << std::ifstream(target, std::ios::binary).rdbuf();
    EXPECT_EQ(content.str(), c.written ? "new" : "old");
    struct stat st {};
    EXPECT_TRUE(::stat(target.c_str(), &st) == 0 && (c.before == 0 || (st.st_mode & 07777) == c.before));
    EXPECT_EQ(entryCount(t), 1);
  }
}

// A process killed while writing left "*.tmp-*" files behind; a write past
// the file-size limit killed the run with SIGXFSZ. The child exits 0 when the
// commit fails for the right reason.
TEST(AtomicFileTest, NothingIsLeftWhenTheWriterDiesOrHitsTheSizeLimit) {
  for (const bool killed : {true, false}) {
    SCOPED_TRACE(killed ? "killed" : "size limit");
    ScratchTree t;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      std::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{4096, 4096};
      if (!killed) ::setrlimit(RLIMIT_FSIZE, &limit);
      AtomicFile f;
      QString reason;
      if (!f.open(t.path("r.txt"), &reason)) ::_exit(2);
      f.write(std::string(1 << 20, 'x'));
      [[maybe_unused]] const auto n = ::write(ready[1], "!", 1);
      if (killed) ::pause();
      ::_exit(!f.commit(&reason) && reason == QStringLiteral("File too large") ? 0 : 3);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    if (killed) ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_TRUE(killed ? WIFSIGNALED(status) : WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(entryCount(t), 0);
  }
}

}  // namespace
}  // namespace kelvaron::platform
