#include "bom/fileindex.h"

#include "core/bom/bomfixture.h"

namespace kelvaron::bomtest {
namespace {

TEST(SplitVersion, Table) {
  struct Case {
    const char* name;
    const char* base;
    std::int64_t version;
  } cases[] = {
      {"Bolt.PRT.3", "bolt.prt", 3}, {"bolt.prt", "bolt.prt", 0},
      {"top.asm.007", "top.asm", 7}, {"readme.3", "readme.3", 0},
      {"a.asm.x", "a.asm.x", 0},     {"a.asm.", "a.asm.", 0},
      {"a.asm.-1", "a.asm.-1", 0},   {"a.asm.1234567890", "a.asm.1234567890", 0},
  };
  for (const Case& c : cases) {
    const bom::VersionedName v = bom::splitVersion(QString::fromUtf8(c.name));
    EXPECT_EQ(v.base, QString::fromUtf8(c.base)) << c.name;
    EXPECT_EQ(v.version, c.version) << c.name;
  }
}

class FileIndexTest : public BomTest {};

TEST_F(FileIndexTest, ResolvesByFolderOrderAndHighestVersion) {
  struct Case {
    const char* what;
    QStringList files;
    QStringList roots;
    const char* own;
    const char* name;
    const char* expected;  // "" for missing
    QStringList others;
  } cases[] = {
      {"highest version, numerically, case ignored",
       {"p/bolt.prt", "p/bolt.prt.3", "p/BOLT.PRT.12"},
       {},
       "p",
       "bolt.prt",
       "p/BOLT.PRT.12",
       {}},
      {"NAME.asm next to NAME.asm.7", {"p/sub.asm", "p/sub.asm.7"}, {}, "p", "sub.asm", "p/sub.asm.7", {}},
      {"own folder before the search folders", {"p/x.prt", "s/x.prt.2"}, {"s"}, "p", "x.prt", "p/x.prt", {"s/x.prt.2"}},
      {"search folders in the order given",
       {"s1/x.prt", "s2/a/x.prt"},
       {"s2", "s1"},
       "p",
       "x.prt",
       "s2/a/x.prt",
       {"s1/x.prt"}},
      {"a folder's files before its subfolders'",
       {"s/a/x.prt", "s/x.prt"},
       {"s"},
       "p",
       "x.prt",
       "s/x.prt",
       {"s/a/x.prt"}},
      {"deep subfolder", {"s/a/b/c/x.prt.4"}, {"s"}, "p", "x.prt", "s/a/b/c/x.prt.4", {}},
      {"a root inside an earlier root keeps the earlier place",
       {"s/x.prt", "s/a/x.prt"},
       {"s/a", "s"},
       "p",
       "x.prt",
       "s/a/x.prt",
       {"s/x.prt"}},
      {"near names do not match", {"p/bolt.prt.bak", "p/xbolt.prt", "p/bolt.prt0"}, {}, "p", "bolt.prt", "", {}},
      {"an assembly's name is not its part's", {"p/drill.asm"}, {}, "p", "drill.prt", "", {}},
      {"foreign file, spaces and case", {"p/Top Base.SLDPRT"}, {}, "p", "top base.SLDPRT", "p/Top Base.SLDPRT", {}},
      {"files outside the roots are not searched", {"q/x.prt"}, {"s"}, "p", "x.prt", "", {}},
  };
  int n = 0;
  for (const Case& c : cases) {
    const QString at = QStringLiteral("case%1/").arg(n++);  // each case in a folder of its own
    QDir(m_dir.path()).mkpath(at + "p");
    for (const QString& f : c.files) touch(at + f);
    QStringList roots;
    for (const QString& r : c.roots) roots << path(at + r);
    bom::FileIndex index(roots);
    index.addFolder(path(at + c.own));
    index.addFolder(path(at + "q"));  // another assembly's folder outside the roots
    const bom::Resolution r = index.resolve(QString::fromUtf8(c.name), path(at + c.own));
    EXPECT_EQ(r.path, *c.expected ? path(at + c.expected) : QString()) << c.what;
    QStringList others;
    for (const QString& o : c.others) others << path(at + o);
    EXPECT_EQ(r.others, others) << c.what;
  }
}

}  // namespace
}  // namespace kelvaron::bomtest
