// Reading files whatever they are and whatever happens to them while read:
// special files refused without waiting, a file that changes is an error,
// paths past the system's limit read like any other.

#include "platform/atomicfile.h"
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
    EXPECT_TRUE(bytes.open(path) == c.error.isEmpty() && bytes.errorString() == c.error)
        << bytes.errorString().toStdString();
    EXPECT_TRUE(native.open(path) == c.error.isEmpty() && native.errorString() == c.error)
        << native.errorString().toStdString();
  }
}

// A file truncated while it was mapped killed the run with SIGBUS.
TEST(FileReading, AFileThatChangesWhileUsedIsAnError) {
  ScratchTree t;
  const std::string content(3 << 20, 'x');
  const struct {
    const char* what;
    off_t newSize;  // what the file becomes after it was opened; -1: left alone
  } cases[] = {{"shrinks", 1 << 20}, {"grows", (3 << 20) + 10}, {"is emptied", 0}, {"is left alone", -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    t.file("big.asm", content);
    FileBytes bytes;
    ASSERT_TRUE(bytes.open(t.path("big.asm")));
    ASSERT_TRUE(c.newSize < 0 || ::truncate((t.root() + "/big.asm").c_str(), c.newSize) == 0);
    std::size_t xs = 0;  // every byte touched, the lost pages too
    for (const char b : bytes.bytes()) xs += b == 'x';
    EXPECT_EQ(xs, c.newSize < 0 ? content.size() : std::min<std::size_t>(xs, content.size()));
    EXPECT_EQ(bytes.verify(), c.newSize < 0);
    EXPECT_EQ(bytes.errorString(), c.newSize < 0 ? QString() : kChanged);
  }
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

// Files and report folders below PATH_MAX were found by the walk but could not be used.
TEST(FileReading, PathsPastTheSystemLimitAreWrittenAndRead) {
  ScratchTree t;
  const std::string name(200, 'd');
  const int levels = PATH_MAX / 200 + 2;
  t.chain(name, levels, "x");
  std::string rel;
  for (int i = 0; i < levels; ++i) rel += name + "/";
  const QString deep = t.path(rel + "deep.asm");
  ASSERT_GT(deep.size(), PATH_MAX);
  AtomicFile f;
  QString reason;
  ASSERT_TRUE(f.open(deep, &reason)) << reason.toStdString();
  f.write("deep");
  ASSERT_TRUE(f.commit(&reason)) << reason.toStdString();
  FileBytes bytes;
  ASSERT_TRUE(bytes.open(deep)) << bytes.errorString().toStdString();
  EXPECT_EQ(bytes.bytes(), "deep");
  NativeFile native;
  EXPECT_TRUE(native.open(deep)) << native.errorString().toStdString();
  EXPECT_FALSE(bytes.open(t.path(rel + "nothing.asm")));
  EXPECT_EQ(bytes.errorString(), QStringLiteral("No such file or directory"));
}

}  // namespace
}  // namespace kelvaron::platform
