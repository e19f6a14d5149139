// kelvaron-cli bom, where-used, check and diff, run as a program on legacy
// text assemblies made here: options, exit statuses, output formats.

#include "cli/cli_testenv.h"

namespace kelvaron::clitest {
namespace {

// A legacy text assembly (Release 14 to Wildfire 4 layout) from words
// "NAME*quantity", a leading + for a sub-assembly, a trailing ~ for one more
// instance that is suppressed.
QByteArray legacyAssembly(const QByteArray& words) {
  QByteArray b =
      "#UGC:2 ASSEMBLY 887 360 0 1 1 15 1600 9547\n#-END_OF_UGC_HEADER\n#P_OBJECT 6\n@P_object 1 0\n0 1 ->\n"
      "@depend 2 0\n1 2 [" +
      QByteArray::number(words.count(' ') + 1) +
      "]\n@model_name 3 10\n@model_type 4 1\n@bom_count 6 1\n@dep_type 7 1\n@comp_dep_types 16 1\n";
  for (const QByteArray& w : words.split(' ')) {
    const bool sub = w.startsWith('+'), suppressed = w.endsWith('~');
    const QList<QByteArray> nameAndCount = w.mid(sub, w.size() - sub - suppressed).split('*');
    const QByteArray q = nameAndCount.value(1, "1"), all = QByteArray::number(q.toInt() + suppressed);
    b += "2 2 \n3 3 " + nameAndCount[0] + "\n3 4 " + (sub ? "1" : "2") + "\n3 6 " + all + "\n3 7 " +
         (suppressed ? "32770\n3 16 [" + all + "]\n$" + q + "*2,1*32768\n" : QByteArray("2\n"));
  }
  return b + "@dep_db 30 0\n1 30 ->\n#END_OF_P_OBJECT\n";
}

using BomCli = CliTest;

// One product for every command: top (BOLT x4, SUB x2, GONE), sub in a library
// folder (BOLT x3, NUT 1+1 suppressed).
TEST_F(BomCli, ExitStatusesAndOutputs) {
  put("p/top.asm.2", legacyAssembly("BOLT*4 +SUB*2 GONE"));
  put("lib/sub.asm", legacyAssembly("BOLT*3 NUT~"));
  put("p/bolt.prt", "");
  put("lib/nut.prt.2", "");
  put("ok/a.asm", legacyAssembly("X*2"));
  put("ok/x.prt", "");
  put("bad/a.asm", "not an assembly at all\n");
  put("old.asm.1", legacyAssembly("X*2 Y"));
  put("new.asm.2", legacyAssembly("X*3"));
  put("bom", assemblyBytes({"BOMPART"}));
  // The arguments, the exit status, a fragment standard error must hold (or "").
  const std::tuple<QStringList, int, const char*> cases[] = {
      {{"check", "ok"}, 0, ""},
      {{"check", "p", "lib"}, 1, ""},
      {{"check", "bad"}, 1, ""},
      {{"check", "nowhere"}, 2, "cannot search nowhere: no such folder"},
      {{"diff", "old.asm.1", "old.asm.1"}, 0, ""},
      {{"diff", "old.asm.1", "new.asm.2"}, 1, ""},
      {{"diff", "old.asm.1", "none.asm"}, 2, "none.asm"},
      {{"diff", "old.asm.1", "bad/a.asm"}, 2, "bad/a.asm"},
      {{"diff", "old.asm.1"}, 2, "kelvaron-cli diff:"},
      {{"bom", "p/none.asm"}, 2, "p/none.asm"},
      {{"bom", "bad/a.asm"}, 2, "bad/a.asm"},
      {{"bom", "--format", "xlsx", "-o", "bom.xlsx", "--search", "lib", "p/top.asm.2"}, 0, ""},
      {{"bom", "--format", "xlsx", "p/top.asm.2"}, 2, "needs -o"},
      {{"bom", "--format", "pdf", "p/top.asm.2"}, 2, "--format"},
      {{"bom", "--depth", "0", "p/top.asm.2"}, 2, "--depth"},
      {{"bom", "-o", "no/such/out.csv", "p/top.asm.2"}, 2, "cannot write"},
      {{"where-used", "BOLT"}, 2, "--in"},
      {{"--no-report", "./bom"}, 0, ""},  // a file named like a subcommand keeps the old meaning
  };
  for (const auto& [args, exit, err] : cases) {
    const CliResult r = run(args);
    EXPECT_EQ(r.exitCode, exit) << args.join(' ').toStdString() << "\n" << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(err)) << args.join(' ').toStdString() << "\n" << r.err.toStdString();
  }
  EXPECT_TRUE(run({"--no-report", "./bom"}).summary.startsWith("1 file,")) << "./bom is a file to list";
  EXPECT_TRUE(readBytes(path("bom.xlsx")).startsWith("PK"));

  const CliResult tree = run({"bom", "--search", "lib", "--format", "csv", "p/top.asm.2"});
  EXPECT_EQ(tree.exitCode, 0) << tree.err.toStdString();
  EXPECT_EQ(tree.out,
            "level,quantity,suppressed,type,name,file,status\r\n"
            "0,1,0,assembly,TOP,top.asm.2,ok\r\n"
            "1,4,0,part,BOLT,bolt.prt,ok\r\n"
            "1,2,0,assembly,SUB,../lib/sub.asm,ok\r\n"
            "2,3,0,part,BOLT,,missing\r\n"  // the sub's folder, then the search folders: not the top's
            "2,1,1,part,NUT,../lib/nut.prt.2,ok\r\n"
            "1,1,0,part,GONE,,missing\r\n");

  const CliResult flat =
      run({"bom", "--flat", "--search", "lib", "--search", "p", "--format", "csv", "-o", "flat.csv", "p/top.asm.2"});
  EXPECT_EQ(flat.exitCode, 0) << flat.err.toStdString();
  EXPECT_TRUE(flat.out.isEmpty());
  EXPECT_EQ(readBytes(path("flat.csv")),
            "quantity,suppressed,parents,type,name,file,status\r\n"
            "10,0,2,part,BOLT,bolt.prt,ok\r\n"  // 4 + 2*3, now found through the search folder p
            "1,0,1,part,GONE,,missing\r\n"
            "2,2,1,part,NUT,../lib/nut.prt.2,ok\r\n"
            "2,0,1,assembly,SUB,../lib/sub.asm,ok\r\n");

  // where-used: one JSON document per name.
  const CliResult r = run({"where-used", "--indirect", "--format", "json", "nut", "bolt.prt", "--in", "p", "lib"});
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
  const QString top = R"({"assembly":"$/p/top.asm.2","path":["$/p/top.asm.2")";
  const QString expected = R"({"name":"nut","used_in":[)" + top + R"(,"$/lib/sub.asm"],"quantity":2}]})" + "\n" +
                           R"({"name":"bolt.prt","used_in":[)" + top + R"(],"quantity":4},)" + top +
                           R"(,"$/lib/sub.asm"],"quantity":6}]})" + "\n";
  EXPECT_EQ(QString::fromUtf8(r.out), QString(expected).replace(u'$', QDir::cleanPath(path(""))));
}

}  // namespace
}  // namespace kelvaron::clitest
