#include "cli/clioptions.h"

#include <gtest/gtest.h>

namespace kelvaron::cli {
namespace {

using Action = CliOptions::Action;

struct ParseCase {
  QStringList args;
  bool ok;
  Action action;
  QStringList files;
  QString reportDir;  // empty: not given
  bool writeReports;
  bool json;
};

TEST(CliOptions, ParsesTheCommandLine) {
  const ParseCase cases[] = {
      {{"a.asm"}, true, Action::Run, {"a.asm"}, "", true, false},
      {{"--json", "a.asm", "b.asm.3"}, true, Action::Run, {"a.asm", "b.asm.3"}, "", true, true},
      {{"a.asm", "--no-report"}, true, Action::Run, {"a.asm"}, "", false, false},
      {{"--report-dir", "/out", "a.asm"}, true, Action::Run, {"a.asm"}, "/out", true, false},
      {{"--report-dir=/o u t", "a.asm"}, true, Action::Run, {"a.asm"}, "/o u t", true, false},
      {{"--report-dir", "--json", "a.asm"}, true, Action::Run, {"a.asm"}, "--json", true, false},
      {{"--", "--json", "-"}, true, Action::Run, {"--json", "-"}, "", true, false},
      {{"-"}, true, Action::Run, {"-"}, "", true, false},
      {{"--help"}, true, Action::Help, {}, "", true, false},
      {{"-h", "--bogus"}, true, Action::Help, {}, "", true, false},
      {{"--version", "--help"}, true, Action::Help, {}, "", true, false},
      {{"--version"}, true, Action::Version, {}, "", true, false},
      {{}, false, Action::Run, {}, "", true, false},
      {{"--json"}, false, Action::Run, {}, "", true, true},
      {{"--bogus", "a.asm"}, false, Action::Run, {"a.asm"}, "", true, false},
      {{"-j", "a.asm"}, false, Action::Run, {"a.asm"}, "", true, false},
      {{"a.asm", "--report-dir"}, false, Action::Run, {"a.asm"}, "", true, false},
      {{"--report-dir=", "a.asm"}, false, Action::Run, {"a.asm"}, "", true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const CliParseResult r = parseCliArguments(c.args);
    EXPECT_EQ(r.ok(), c.ok) << r.error.toStdString();
    EXPECT_EQ(r.options.action, c.action);
    if (!c.ok) continue;
    EXPECT_EQ(r.options.files, c.files);
    EXPECT_EQ(r.options.reportDirGiven, !c.reportDir.isEmpty());
    EXPECT_EQ(r.options.reportDir, c.reportDir);
    EXPECT_EQ(r.options.writeReports, c.writeReports);
    EXPECT_EQ(r.options.json, c.json);
  }
}

TEST(CliOptions, ParsesJobsAndLatest) {
  struct Case {
    QStringList args;
    bool ok;
    int jobs;  // 0: the number of cores
    bool latest;
  };
  const Case cases[] = {
      {{"d"}, true, 0, false},
      {{"--jobs", "4", "d"}, true, 4, false},
      {{"-j", "1", "--latest", "d"}, true, 1, true},
      {{"--jobs=256", "d"}, true, 256, false},
      {{"--jobs=0", "d"}, false, 0, false},
      {{"--jobs", "257", "d"}, false, 0, false},
      {{"--jobs", "two", "d"}, false, 0, false},
      {{"d", "--jobs"}, false, 0, false},
      {{"--jobs=", "d"}, false, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const CliParseResult r = parseCliArguments(c.args);
    EXPECT_EQ(r.ok(), c.ok) << r.error.toStdString();
    if (!c.ok) continue;
    EXPECT_EQ(r.options.jobs, c.jobs);
    EXPECT_EQ(r.options.latest, c.latest);
    EXPECT_EQ(r.options.files, QStringList{"d"});
  }
}

}  // namespace
}  // namespace kelvaron::cli
