// Reading files whatever they are and whatever happens to them while read:
// special files refused without waiting, a file that changes is an error,
// paths past the system's limit read like any other.

#include "platform/filebytes.h"
#include "platform/nativefile.h"
#include "scratchtree.h"

#include <gtest/gtest.h>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvaron::platform {
namespace {

using kelvaron::testing::ScratchTree;

const QString kNotRegular = QStringLiteral("not a regular file");
const QString kChanged = QStringLiteral("the file changed while it was read");

// A FIFO once hung the run: opening waited for a writer that never came.
TEST(FileReading, OnlyRegularFilesAreRead) {
  ScratchTree t;
  t.file("a.asm", "3 3 X\n");
  ASSERT_EQ(::mkfifo((t.root() + "/fifo.asm").c_str(), 0644), 0);
  t.link("/dev/zero", "zero.asm");
  t.link("/dev/null", "null.asm");
  t.link("missing", "dangling.asm");
  t.dir("sub.asm");
  const struct {
    const char* name;
    QString error;  // empty: read
  } cases[] = {
      {"a.asm", {}},
      {"fifo.asm", kNotRegular},
      {"zero.asm", kNotRegular},
      {"null.asm", kNotRegular},
      {"dangling.asm", QStringLiteral("No such file or directory")},
      {"sub.asm", QStringLiteral("Is a directory")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FileBytes bytes;
    NativeFile native;
    const QString path = t.path(c.name);
    EXPECT_EQ(bytes.open(path), c.error.isEmpty());
    EXPECT_EQ(native.open(path), c.error.isEmpty());
    EXPECT_EQ(bytes.errorString(), c.error);
    EXPECT_EQ(native.errorString(), c.error);
  }
}

// A file truncated while it was mapped killed the run with SIGBUS.
TEST(FileReading, AFileThatChangesWhileUsedIsAnError) {
  ScratchTree t;
  const std::string content(3 << 20, 'x');
  const struct {
    const char* what;
    off_t newSize;  // what the file becomes after it was opened
  } cases[] = {{"shrinks", 1 << 20}, {"grows", (3 << 20) + 10}, {"is emptied", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    t.file("big.asm", content);
    FileBytes bytes;
    ASSERT_TRUE(bytes.open(t.path("big.asm")));
    ASSERT_EQ(::truncate((t.root() + "/big.asm").c_str(), c.newSize), 0);
    std::size_t xs = 0;  // every byte touched, the lost pages too
    for (const char b : bytes.bytes()) xs += b == 'x';
    EXPECT_LE(xs, content.size());
    EXPECT_FALSE(bytes.verify());
    EXPECT_EQ(bytes.errorString(), kChanged);
  }
  t.file("big.asm", content);
  FileBytes intact;
  ASSERT_TRUE(intact.open(t.path("big.asm")));
  EXPECT_EQ(intact.bytes(), content);
  EXPECT_TRUE(intact.verify());
}

// A stop request waited for the whole file to be read.
TEST(FileReading, AStopEndsTheRead) {
  ScratchTree t;
  t.file("small.asm", std::string(512 << 10, 'x'));
  FileBytes bytes;
  EXPECT_FALSE(bytes.open(t.path("small.asm"), [] { return false; }));
  EXPECT_TRUE(bytes.stopped());
  EXPECT_TRUE(bytes.bytes().empty());
}

// Files below PATH_MAX were found by the walk but could not be read.
TEST(FileReading, PathsPastTheSystemLimitAreRead) {
  ScratchTree t;
  const std::string name(200, 'd');
  const int levels = PATH_MAX / 200 + 2;
  t.chain(name, levels, "deep.asm");
  std::string rel;
  for (int i = 0; i < levels; ++i) rel += name + "/";
  {
    const QString deep = t.path(rel + "deep.asm");
    ASSERT_GT(deep.size(), PATH_MAX);
    FileBytes bytes;
    ASSERT_TRUE(bytes.open(deep)) << bytes.errorString().toStdString();
    EXPECT_TRUE(bytes.bytes().empty());
    NativeFile native;
    EXPECT_TRUE(native.open(deep)) << native.errorString().toStdString();
    FileBytes missing;
    EXPECT_FALSE(missing.open(t.path(rel + "nothing.asm")));
    EXPECT_EQ(missing.errorString(), QStringLiteral("No such file or directory"));
  }
}

}  // namespace
}  // namespace kelvaron::platform
