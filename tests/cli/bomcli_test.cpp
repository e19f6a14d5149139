// kelvaron-cli bom, where-used, check and diff, run as a program on legacy
// text assemblies made here: options, exit statuses, output formats.

#include "cli/cli_testenv.h"

namespace kelvaron::clitest {
namespace {

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
      {{"bom", "--format", "xlsx", "-o", "bom.xlsx", "--search", "lib", "p/top.asm.2"}, 1, "incomplete: 2 missing"},
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
    // A path in a message may come back with the system's separator.
    EXPECT_TRUE(r.err.contains(err) || r.err.contains(shownPath(err)))
        << args.join(' ').toStdString() << "\n" << r.err.toStdString();
  }
  EXPECT_TRUE(run({"--no-report", "./bom"}).summary.startsWith("1 file,")) << "./bom is a file to list";
  EXPECT_TRUE(readBytes(path("bom.xlsx")).startsWith("PK"));

  const CliResult tree = run({"bom", "--search", "lib", "--format", "csv", "p/top.asm.2"});
  EXPECT_EQ(tree.exitCode, 1) << tree.err.toStdString();
  EXPECT_EQ(tree.out,
            "level,quantity,suppressed,type,name,file,status\r\n"
            "0,1,0,assembly,TOP,top.asm.2,ok\r\n"
            "1,4,0,part,BOLT,bolt.prt,ok\r\n"
            "1,2,0,assembly,SUB,../lib/sub.asm,ok\r\n"
            "2,3,0,part,BOLT,bolt.prt,missing\r\n"  // the sub's folder, then the search folders: not the top's
            "2,1,1,part,NUT,../lib/nut.prt.2,ok\r\n"
            "1,1,0,part,GONE,gone.prt,missing\r\n");

  const CliResult flat =
      run({"bom", "--flat", "--search", "lib", "--search", "p", "--format", "csv", "-o", "flat.csv", "p/top.asm.2"});
  EXPECT_EQ(flat.exitCode, 1) << flat.err.toStdString();
  EXPECT_TRUE(flat.out.isEmpty());
  EXPECT_EQ(readBytes(path("flat.csv")),
            "quantity,suppressed,parents,type,name,file,status\r\n"
            "10,0,2,part,BOLT,bolt.prt,ok\r\n"  // 4 + 2*3, now found through the search folder p
            "1,0,1,part,GONE,gone.prt,missing\r\n"
            "2,2,1,part,NUT,../lib/nut.prt.2,ok\r\n"
            "2,0,1,assembly,SUB,../lib/sub.asm,ok\r\n");

  // where-used: one JSON document per name.
  const CliResult r = run({"where-used", "--indirect", "--format", "json", "nut", "bolt.prt", "--in", "p", "lib"});
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
  const QString use = R"({"assembly":"$/p/top.asm.2","type":"part","quantity":%1,"suppressed":%2,"path":[%3],"cycle":false})";
  const QString top = R"("$/p/top.asm.2")", sub = R"("$/p/top.asm.2","$/lib/sub.asm")";
  const QString expected = R"({"name":"nut","used_in":[)" + use.arg("2", "2", sub) + R"(],"notes":[]})" + "\n" +
                           R"({"name":"bolt.prt","used_in":[)" + use.arg("4", "0", top) + "," + use.arg("6", "0", sub) +
                           R"(],"notes":[]})" + "\n";
  EXPECT_EQ(QString::fromUtf8(r.out), QString(expected).replace(u'$', QDir::cleanPath(path(""))));
}

}  // namespace
}  // namespace kelvaron::clitest
