#include "bom/fileindex.h"

#include "core/bom/bomfixture.h"

namespace kelvaron::bomtest {
namespace {

class FileIndexTest : public BomTest {};

// Each case: files (see make()), search roots (comma-separated), the name asked for from
// folder p, the file expected ("" for missing) and the other places noted (space-separated).
TEST_F(FileIndexTest, ResolvesByFolderOrderAndHighestVersion) {
  struct Case {
    const char *what, *files, *roots, *name, *expected, *others;
  } cases[] = {
      {"highest version, numerically, case ignored", "p/bolt.prt;p/bolt.prt.9;p/BOLT.PRT.12", "", "bolt.prt",
       "p/BOLT.PRT.12", ""},
      {"own folder before the search folders", "p/x.prt;s/x.prt.2", "s", "x.prt", "p/x.prt", "s/x.prt.2"},
      {"search folders in the order given", "s1/x.prt;s2/a/x.prt", "s2,s1", "x.prt", "s2/a/x.prt", "s1/x.prt"},
      {"a folder's files before its subfolders'", "s/a/x.prt;s/x.prt", "s", "x.prt", "s/x.prt", "s/a/x.prt"},
      {"a root inside an earlier root keeps the earlier place", "s/x.prt;s/a/x.prt", "s/a,s", "x.prt", "s/a/x.prt",
       "s/x.prt"},
      {"near names do not match", "p/bolt.prt.bak;p/xbolt.prt;p/bolt.prt0;p/bolt.prt.-1;p/bolt.prt.", "", "bolt.prt",
       "", ""},
      {"a version needs an extension before it", "p/readme.3", "", "readme", "", ""},
      {"an assembly's name is not its part's", "p/drill.asm", "", "drill.prt", "", ""},
      {"foreign file, spaces and case", "p/Top Base.SLDPRT", "", "top base.SLDPRT", "p/Top Base.SLDPRT", ""},
      {"files outside the roots are not searched", "q/x.prt", "s", "x.prt", "", ""},
  };
  int n = 0;
  for (const Case& c : cases) {
    startCase(QStringLiteral("case%1").arg(n++));
    QDir().mkpath(path("p"));
    make(c.files);
    QStringList roots;
    for (const QString& r : QString(c.roots).split(u',', Qt::SkipEmptyParts)) roots << path(r);
    bom::FileIndex index(roots);
    index.addFolder(path("p"));
    index.addFolder(path("q"));  // another assembly's folder outside the roots
    const bom::Resolution r = index.resolve(QString::fromUtf8(c.name), path("p"));
    EXPECT_EQ(rel(QStringList(r.path).filter(u"/")), c.expected) << c.what;
    EXPECT_EQ(rel(r.others), c.others) << c.what;
  }
}

}  // namespace
}  // namespace kelvaron::bomtest
