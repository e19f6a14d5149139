// Names and paths with control characters, run through the listing: nothing
// from a file reaches the terminal or a report raw.

#include "cli/cli_testenv.h"

#include <tuple>
#include <vector>

namespace kelvaron::clitest {
namespace {

using CliEscape = CliTest;

// ESC ] 0 ; ... BEL retitled the terminal; a CR or LF in a path added a line.
TEST_F(CliEscape, ControlCharactersAreEscapedInListsHeadingsMessagesAndReports) {
  put("t/a.asm", legacyAssembly("TITLE\x1b]0;owned\x07 PLAIN"));
  // The arguments; what standard output must hold, and standard error.
  std::vector<std::tuple<QStringList, QByteArray, QByteArray>> cases = {
      {{"--report-dir", "rep", "t"}, "TITLE\\x1b]0;owned\\x07\n", ""},
      {{"--no-report", "t/d\nGONE.asm"}, "", "cannot read " + shownPath("t/d") + "\\x0aGONE.asm"},
      {{"--no-report", "-l", "t/a.asm"}, "TITLE\\x1b]0;owned\\x07", ""},
  };
#ifndef _WIN32
  // Windows allows no control characters in names: such files exist elsewhere only.
  put("t/b\rFAKE.asm", assemblyBytes({"B"}));
  put("t/c\nFAKE.asm", "not an assembly");
  cases.push_back({{"--no-report", "t"}, "==> t/b\\x0dFAKE.asm <==\n", ""});
  cases.push_back({{"--list", "t"}, "t/b\\x0dFAKE.asm\nt/c\\x0aFAKE.asm\n", ""});
#endif
  for (const auto& [args, out, err] : cases) {
    const CliResult r = run(args);
    EXPECT_TRUE(r.out.contains(out)) << args.join(' ').toStdString() << "\n" << r.out.toStdString();
    EXPECT_TRUE(r.err.contains(err)) << args.join(' ').toStdString() << "\n" << r.err.toStdString();
    for (const char c : {'\x1b', '\x07', '\r'}) {
      EXPECT_FALSE(r.out.contains(c)) << args.join(' ').toStdString() << ": " << int(c);
      EXPECT_FALSE(r.err.contains(c)) << args.join(' ').toStdString() << ": " << int(c);
    }
    EXPECT_FALSE(r.out.contains("\nFAKE")) << args.join(' ').toStdString();
  }
  const QByteArray report = readBytes(path("rep/a__Kelvaron.txt"));
  EXPECT_TRUE(report.contains("\r\nTITLE\\x1b]0;owned\\x07\r\nPLAIN\r\n")) << report.toStdString();
  EXPECT_FALSE(report.contains('\x1b'));
}

}  // namespace
}  // namespace kelvaron::clitest
