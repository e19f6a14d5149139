// Files and folders as the system gives them: names matched by wildcards,
// folders listed in one order, reports written whole or not at all, files read
// whatever they are and whatever happens to them while read, paths past the
// system's limit.

#include "platform/atomicfile.h"
#include "platform/dirlisting.h"
#include "platform/filebytes.h"
#include "platform/nativefile.h"
#include "platform/wildcard.h"
#include "scratchtree.h"

#include <QDir>
#include <gtest/gtest.h>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvaron::platform {
namespace {

using kelvaron::testing::ScratchTree;

const QString kNotRegular = QStringLiteral("not a regular file");

// Names sorted case-insensitively, ties by bytes; a link is marked, never opened as a child, and leads to the
// same folder identity as its target.
TEST(DirListing, SortedKindsAndLinks) {
  KELVARON_SKIP_ON_WINDOWS("symbolic links need a privilege there");
  ScratchTree tmp;
  for (const char* n : {"b.asm", "A.asm", "a.asm", "C_x", "cx", "B.ASM.2"}) tmp.file(n);
  tmp.dir("sub.asm.1");
  tmp.link("sub.asm.1", "alias");
  tmp.link("b.asm", "filelink.asm.9");
  const Folder folder = Folder::open(tmp.path());
  const auto entries = folder.list(u"*");
  ASSERT_TRUE(entries);
  QStringList names;  // name, folder?, link?
  for (const DirEntry& e : *entries) names << QString("%1 %2%3").arg(e.name).arg(e.isFolder).arg(e.isLink);
  EXPECT_EQ(names, (QStringList{"A.asm 00", "a.asm 00", "alias 01", "b.asm 00", "B.ASM.2 00", "cx 00", "C_x 00",
                                "filelink.asm.9 01", "sub.asm.1 10"}));
  EXPECT_EQ(folder.list(u"*.asm.*")->size(), 6u);
  EXPECT_FALSE(folder.openChild("alias").isOpen());
  const Folder sub = folder.openChild("sub.asm.1");
  ASSERT_TRUE(sub.isOpen());
  EXPECT_EQ(sub.id(), Folder::open(tmp.path() + "/alias").id());
  EXPECT_NE(sub.id(), folder.id());
  EXPECT_FALSE(Folder::open(tmp.path() + "/missing").list(u"*"));
}

int entryCount(const ScratchTree& t) {
  return static_cast<int>(QDir(t.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size());
}

// Reports written whole or not at all: the temporary has no name, so nothing
// is left whatever ends the process (a commit past the file-size limit is a
// CLI test). A replaced report came out 0644, and a read-only one was replaced.
TEST(AtomicFileTest, KeepsModeAndRefusesReadOnly) {
  KELVARON_SKIP_ON_WINDOWS("a file has a read-only attribute, no mode bits (see the Windows tests)");
  // The mode of the report before (0: none), whether it is written.
  for (const auto& [before, written] : {std::pair<mode_t, bool>{0, true}, {0640, true}, {0600, true}, {0444, false}}) {
    SCOPED_TRACE(before);
    ScratchTree t;
    const std::string target = t.root() + "/r.txt";
    if (before != 0) {
      t.file("r.txt", "old");
      ASSERT_EQ(::chmod(target.c_str(), before), 0);
    }
    AtomicFile f;
    QString reason;
    ASSERT_EQ(f.open(t.path("r.txt"), &reason), written);
    if (written) {
      f.write("new");
      EXPECT_EQ(entryCount(t), before != 0 ? 1 : 0) << "the temporary has no name while written";
      ASSERT_TRUE(f.commit(&reason)) << reason.toStdString();
    } else {
      EXPECT_EQ(reason, QStringLiteral("the report is read-only"));
    }
    FileBytes content;
    EXPECT_TRUE(content.open(t.path("r.txt")) && content.bytes() == (written ? "new" : "old"));
    struct stat st {};
    EXPECT_TRUE(::stat(target.c_str(), &st) == 0 && (before == 0 || (st.st_mode & 07777) == before));
    EXPECT_EQ(entryCount(t), 1);
  }
}

// A FIFO once hung the run: opening waited for a writer that never came.
TEST(FileReading, OnlyRegularFilesAreRead) {
  KELVARON_SKIP_ON_WINDOWS("no FIFOs and no /dev; device names are the Windows tests' case");
  ScratchTree t;
  t.file("a.asm", "3 3 X\n");
  ASSERT_EQ(kelvaron::testing::makeFifo((t.root() + "/fifo.asm").c_str(), 0644), 0);
  t.link("/dev/zero", "zero.asm");
  t.link("/dev/null", "null.asm");
  t.link("missing", "dangling.asm");
  t.dir("sub.asm");
  const std::pair<const char*, QString> cases[] = {
      // the file, the error (none: read)
      {"a.asm", {}},
      {"fifo.asm", kNotRegular},
      {"zero.asm", kNotRegular},
      {"null.asm", kNotRegular},
      {"dangling.asm", QStringLiteral("No such file or directory")},
      {"sub.asm", QStringLiteral("Is a directory")},
  };
  for (const auto& [name, error] : cases) {
    SCOPED_TRACE(name);
    FileBytes bytes;
    NativeFile native;
    EXPECT_TRUE(bytes.open(t.path(name)) == error.isEmpty() && bytes.errorString() == error)
        << bytes.errorString().toStdString();
    EXPECT_TRUE(native.open(t.path(name)) == error.isEmpty() && native.errorString() == error)
        << native.errorString().toStdString();
  }
}

// A file truncated while it was mapped killed the run with SIGBUS.
TEST(FileReading, AFileThatChangesWhileUsedIsAnErrorAndAStopEndsTheRead) {
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
#ifdef _WIN32
    // Windows reads the file whole as it opens: a later change leaves that copy intact.
    const bool changed = false;
#else
    const bool changed = c.newSize >= 0;
#endif
    std::size_t xs = 0;  // every byte touched, the lost pages too
    for (const char b : bytes.bytes()) xs += b == 'x';
    EXPECT_EQ(xs, changed ? std::min<std::size_t>(xs, content.size()) : content.size());
    EXPECT_EQ(bytes.verify(), !changed);
    EXPECT_EQ(bytes.errorString(), changed ? "the file changed while it was read" : QString());
  }
  // A stop request waited for the whole file to be read.
  t.file("small.asm", std::string(512 << 10, 'x'));
  FileBytes stopped;
  EXPECT_FALSE(stopped.open(t.path("small.asm"), [] { return false; }));
  EXPECT_TRUE(stopped.stopped() && stopped.bytes().empty());
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

// Names that match a pattern and names that do not, under the Windows rules.
const struct {
  const char16_t* pattern;
  QStringList matching, other;
} kCases[] = {
    // The finder's own pattern: plain and versioned assemblies, any case.
    {u"*.asm.*",
     {"hub.asm", "hub.asm.12", "HUB.ASM.3", "hub.asm.", ".asm", "a.asm.b.asm.7"},
     {"hub.prt.3", "hub.asmx", "asm.1"}},
    // `?` at the end of the name or before a dot matches nothing.
    {u"*.asm.???", {"top.asm", "top.asm.1", "top.asm.123"}, {"top.asm.1234", "top.asm.1.2"}},
    {u"a?c", {"abc"}, {"ac", "a.c"}},
    {u"a??.txt", {"a.txt", "abc.txt"}, {"abcd.txt"}},
    // `*.*` also matches a name without a dot.
    {u"*.*", {"readme", "a.b"}, {}},
    {u"*", {"", "anything.at.all"}, {}},
    {u"", {""}, {"a"}},
    // Literals, case folding beyond ASCII, a dot not before a wildcard.
    {u"Ölpumpe.ASM", {"ölpumpe.asm"}, {}},
    {u"part.asm", {}, {"part.asm.1", "partXasm"}},
    {u"a*b*c", {"aXXbYYc"}, {"aXXbYY"}},
    // A name with an invalid UTF-8 byte carries it as U+DC80 + byte.
    {u"caf?.asm.*", {QStringLiteral("caf") + QChar(0xDCE9) + ".asm.2"}, {}},
};

TEST(WildcardMatch, WindowsRules) {
  for (const auto& c : kCases) {
    const QString pattern = QString::fromUtf16(c.pattern);
    for (const QString& name : c.matching)
      EXPECT_TRUE(wildcardMatch(pattern, name)) << pattern.toStdString() << " / " << name.toStdString();
    for (const QString& name : c.other)
      EXPECT_FALSE(wildcardMatch(pattern, name)) << pattern.toStdString() << " / " << name.toStdString();
  }
}

TEST(WildcardMatch, ManyStarsStayFast) {
  // A backtracking matcher needs exponential time here.
  EXPECT_FALSE(wildcardMatch(QStringLiteral("*a").repeated(40) + "*b", QString(4000, u'a')));
}

}  // namespace
}  // namespace kelvaron::platform
