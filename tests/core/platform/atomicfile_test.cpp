// Reports written whole or not at all (the temporary has no name, so nothing is
// left whatever ends the process), with the permission bits and read-only state
// a user gave the report before. A commit past the file-size limit is a CLI test.

#include "platform/atomicfile.h"
#include "scratchtree.h"

#include <QDir>
#include <gtest/gtest.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

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

}  // namespace
}  // namespace kelvaron::platform
