// kelvaron-cli's bill-of-materials commands at the edges, run as a program:
// incomplete answers exit 1 and say why, folders that cannot be searched,
// where -o writes, switch values, hostile names and paths that are not UTF-8.

#include "cli/cli_testenv.h"
#include "common/systemcalls.h"

#include <sys/stat.h>

#include <filesystem>

namespace kelvaron::clitest {
namespace {

using BomEdgesCli = CliTest;

// A product with every kind of gap: a missing part, an unreadable
// sub-assembly, and a cycle.
TEST_F(BomEdgesCli, AnIncompleteAnswerExitsOneAndSaysWhy) {
  put("p/top.asm", legacyAssembly("BOLT +BAD +LOOP GONE ALSO_GONE"));
  put("p/bad.asm", "not an assembly\n");
  put("p/loop.asm", legacyAssembly("+INNER"));
  put("p/inner.asm", legacyAssembly("+LOOP"));
  put("p/bolt.prt", "");
  put("ok/a.asm", legacyAssembly("X*2"));
  put("ok/x.prt", "");
  // The arguments, the exit status, the last line of standard error ("" for none).
  const std::tuple<QStringList, int, QByteArray> cases[] = {
      {{"bom", "p/top.asm"}, 1, "kelvaron-cli: incomplete: 2 missing, 1 unreadable, 1 cycle"},
      {{"bom", "--flat", "--format", "csv", "p/top.asm"}, 1, "kelvaron-cli: incomplete: 2 missing, 1 unreadable, 1 cycle"},
      {{"bom", "ok/a.asm"}, 0, ""},
      {{"check", "p"}, 1, "kelvaron-cli: incomplete: 2 missing, 1 unreadable, 1 cycle"},
      {{"where-used", "--indirect", "inner", "--in", "p"}, 1, "kelvaron-cli: incomplete: 1 unreadable, 1 cycle"},
      {{"where-used", "x", "--in", "ok"}, 0, ""},
  };
  for (const auto& [args, exit, last] : cases) {
    const CliResult r = run(args);
    EXPECT_EQ(r.exitCode, exit) << args.join(' ').toStdString() << "\n" << r.err.toStdString();
    EXPECT_EQ(r.err.trimmed().split('\n').constLast(), last) << args.join(' ').toStdString();
  }
  // The cycle is a row of check's answer; JSON carries the notes.
  EXPECT_TRUE(run({"check", "p"}).out.contains("cycle  ")) << run({"check", "p"}).out.toStdString();
  const CliResult json = run({"bom", "--format", "json", "p/top.asm"});
  EXPECT_TRUE(json.out.contains(R"("notes":[")")) << json.out.toStdString();
  EXPECT_TRUE(json.out.contains(R"("looked_for":"gone.prt")")) << json.out.toStdString();
  // The file looked for stands where a missing row's file belongs.
  const QByteArray tree = run({"bom", "p/top.asm"}).out;
  const QByteArray gone = tree.mid(tree.indexOf("GONE"), tree.indexOf('\n', tree.indexOf("GONE")) - tree.indexOf("GONE"));
  EXPECT_TRUE(gone.contains(" gone.prt ") && gone.endsWith(" missing")) << tree.toStdString();
  // A direct user in a cycle is not lost on the way up.
  const CliResult up = run({"where-used", "--indirect", "inner", "--in", "p"});
  EXPECT_TRUE(up.out.contains("> (cycle)")) << up.out.toStdString();
}

// A folder that cannot be listed was skipped without a word: its files were
// then reported missing and the answer looked complete.
TEST_F(BomEdgesCli, AFolderThatCannotBeSearchedIsNamed) {
  KELVARON_SKIP_ON_WINDOWS("folder access is an ACL, not mode bits");
  put("p/top.asm", legacyAssembly("BOLT"));
  put("p/locked/bolt.prt", "");
  put("p/locked/sub.asm", legacyAssembly("BOLT"));
  ASSERT_EQ(::chmod(QFile::encodeName(path("p/locked")).constData(), 0), 0);
  for (const char* command : {"check p", "where-used bolt --in p", "bom --search p p/top.asm"}) {
    // root reads any folder; in a user namespace without mappings it is held to the mode bits.
    const CliResult r = shell(QString(testing::runsAsRoot() ? "unshare -U " : "") + "\"$CLI\" " + command);
    if (r.exitCode == 1 && r.err.startsWith("unshare:")) GTEST_SKIP() << "no user namespace for root: " << r.err.data();
    EXPECT_EQ(r.exitCode, 1) << command << "\n" << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("kelvaron-cli: cannot search " + path("p/locked").toUtf8() + ": Permission denied\n"))
        << command << "\n" << r.err.toStdString();
  }
  ::chmod(QFile::encodeName(path("p/locked")).constData(), 0755);
}

// "using ..., also found as ..." came once per placement in every assembly,
// also when the file lay beside the assembly.
TEST_F(BomEdgesCli, AChoiceAmongFoldersIsNotedOncePerName) {
  for (int i = 0; i < 5; ++i) {
    put(QStringLiteral("proj/a%1/top.asm").arg(i), legacyAssembly("BOLT NUT"));
    put(QStringLiteral("proj/a%1/bolt.prt").arg(i), "");  // beside each assembly: no choice
  }
  put("proj/lib1/nut.prt", "");
  put("proj/lib2/nut.prt", "");
  put("proj/lib3/nut.prt", "");
  const CliResult r = run({"check", "proj"});
  EXPECT_EQ(r.err, "kelvaron-cli: note: nut.prt: using " + QDir::cleanPath(path("proj/lib1/nut.prt")).toUtf8() +
                       ", also found as " + QDir::cleanPath(path("proj/lib2/nut.prt")).toUtf8() +
                       " and in 1 more folders\n");
}

TEST_F(BomEdgesCli, OutputTargets) {
  KELVARON_SKIP_ON_WINDOWS("no FIFOs and no /dev/stdout; the cases run in a POSIX shell");
  put("a.asm", legacyAssembly("X*2"));
  put("x.prt", "");
  ASSERT_EQ(testing::makeFifo(QFile::encodeName(path("fifo")).constData(), 0600), 0);
  // A script, its exit status, what it must print.
  const std::tuple<QString, int, QByteArray> cases[] = {
      {"\"$CLI\" bom --format csv -o - a.asm; ls -", 2, "level,quantity"},  // "-" is standard output, no file
      {"\"$CLI\" bom --format csv -o /dev/stdout a.asm | head -1; test -L /dev/stdout && echo link", 0,
       "level,quantity,suppressed,type,name,file,status\r\nlink\n"},
      {"cat fifo > got & \"$CLI\" bom --format csv -o fifo a.asm; wait; head -1 got; test -p fifo && echo fifo", 0,
       "level,quantity,suppressed,type,name,file,status\r\nfifo\n"},
      {"\"$CLI\" bom --format xlsx -o fifo a.asm", 2, ""},
  };
  for (const auto& [script, exit, out] : cases) {
    const CliResult r = shell(script);
    EXPECT_EQ(r.exitCode, exit) << script.toStdString() << "\n" << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(out)) << script.toStdString() << "\n" << r.out.toStdString();
  }
  EXPECT_TRUE(shell("\"$CLI\" bom --format xlsx -o fifo a.asm").err.contains("a workbook needs a regular file"));
}

// Values a switch cannot take were taken, or ended the program.
TEST_F(BomEdgesCli, SwitchValues) {
  put("a.asm", legacyAssembly("X"));
  put("file.txt", "");
  // The arguments, the exit status, a fragment standard error must hold.
  const std::tuple<QStringList, int, QByteArray> cases[] = {
      {{"--no-report=x", "a.asm"}, 2, "option '--no-report' takes no value"},
      {{"--no-report=0", "a.asm"}, 2, "option '--no-report' takes no value"},
      {{"--list=no", "a.asm"}, 2, "option '--list' takes no value"},
      {{"--json=1", "a.asm"}, 2, "option '--json' takes no value"},
      {{"bom", "--depth", "-1", "a.asm"}, 2, "--depth"},
      {{"bom", "--depth", "257", "a.asm"}, 2, "--depth"},
      {{"bom", "--search", "file.txt", "a.asm"}, 2, "cannot search file.txt: not a folder"},
      {{"where-used", "X", "--in", "file.txt"}, 2, "cannot search file.txt: not a folder"},
      {{"check", ""}, 2, "kelvaron-cli: cannot search \"\": an empty name is not a folder\n"},
      {{"bom", ""}, 2, "kelvaron-cli: cannot read \"\": an empty name is not a file\n"},
  };
  for (const auto& [args, exit, err] : cases) {
    const CliResult r = run(args);
    EXPECT_EQ(r.exitCode, exit) << args.join(' ').toStdString() << "\n" << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(err)) << args.join(' ').toStdString() << "\n" << r.err.toStdString();
    EXPECT_LT(r.err.size(), 300) << args.join(' ').toStdString() << "\n" << r.err.toStdString();
  }
}

// Component names with terminal controls, and a formula.
TEST_F(BomEdgesCli, HostileNamesReachNoTerminalAndNoSpreadsheetFormula) {
  put("a.asm", legacyAssembly("TITLE\x1b]0;owned\x07 =CMD|CALC @SUM"));
  const CliResult text = run({"bom", "a.asm"});
  EXPECT_FALSE(text.out.contains('\x1b') || text.out.contains('\x07')) << text.out.toStdString();
  EXPECT_TRUE(text.out.contains("TITLE\\x1b]0;owned\\x07")) << text.out.toStdString();
  EXPECT_FALSE(text.err.contains('\x1b')) << text.err.toStdString();
  const CliResult csv = run({"bom", "--format", "csv", "a.asm"});
  EXPECT_TRUE(csv.out.contains(",'=CMD|CALC,") && csv.out.contains(",'@SUM,")) << csv.out.toStdString();
  const CliResult json = run({"bom", "--format", "json", "a.asm"});
  EXPECT_TRUE(json.out.contains(R"("name":"TITLE\u001b]0;owned\u0007")")) << json.out.toStdString();
}

// A path that is not UTF-8 became U+FFFD in the answers of the commands.
TEST_F(BomEdgesCli, PathBytesThatAreNotUtf8SurviveAsInTheListing) {
  KELVARON_SKIP_ON_WINDOWS("names are UTF-16 there, never bytes that are not UTF-8");
  const QString folder = QFile::decodeName(QByteArray("caf\xe9"));
  const std::string native = QFile::encodeName(path({})).toStdString() + "/caf\xe9";
  ASSERT_TRUE(std::filesystem::create_directory(native));
  put("top.asm", legacyAssembly("+SUB"));
  ASSERT_EQ(testing::makeSymlink("../top.asm", (native + "/sub.asm").c_str()), 0);
  const CliResult r = shell("\"$CLI\" bom --format json --search \"$(printf 'caf\\351')\" top.asm");
  EXPECT_TRUE(r.out.contains("/caf\\udce9/sub.asm")) << r.out.toStdString();
  const CliResult text = shell("\"$CLI\" bom --search \"$(printf 'caf\\351')\" top.asm");
  EXPECT_TRUE(text.out.contains("caf\xe9/sub.asm")) << text.out.toStdString();
}

}  // namespace
}  // namespace kelvaron::clitest
