#include "cli/clioptions.h"

namespace kelvaron::cli {

namespace {
const QString kReportDirOption = QStringLiteral("--report-dir");
const QString kJobsOption = QStringLiteral("--jobs");
constexpr int kMaxJobs = 256;
}  // namespace

CliParseResult parseCliArguments(const QStringList& args) {
  CliParseResult result;
  CliOptions& o = result.options;
  bool optionsEnded = false;
  auto fail = [&](const QString& text) {
    if (result.error.isEmpty()) result.error = text;
  };

  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& arg = args.at(i);
    if (optionsEnded || arg == u"-" || !arg.startsWith(u'-')) {
      o.files.append(arg);
    } else if (arg == u"--") {
      optionsEnded = true;
    } else if (arg == u"--help" || arg == u"-h") {
      o.action = CliOptions::Action::Help;
    } else if (arg == u"--version") {
      if (o.action != CliOptions::Action::Help) o.action = CliOptions::Action::Version;
    } else if (arg == u"--no-report") {
      o.writeReports = false;
    } else if (arg == u"--json") {
      o.json = true;
    } else if (arg == u"--long" || arg == u"-l") {
      o.longList = true;
    } else if (arg == u"--list") {
      o.listOnly = true;
    } else if (arg == u"--latest") {
      o.latest = true;
    } else if (arg == kJobsOption || arg == u"-j" || arg.startsWith(kJobsOption + u'=')) {
      QString value;
      if (arg.startsWith(kJobsOption + u'=')) {
        value = arg.mid(kJobsOption.size() + 1);
      } else if (i + 1 < args.size()) {
        value = args.at(++i);
      }
      bool number = false;
      const int jobs = value.toInt(&number);
      if (!number || jobs < 1 || jobs > kMaxJobs) {
        fail(QStringLiteral("option '--jobs' needs a number from 1 to %1").arg(kMaxJobs));
        continue;
      }
      o.jobs = jobs;
    } else if (arg == kReportDirOption || arg.startsWith(kReportDirOption + u'=')) {
      QString value;
      if (arg == kReportDirOption) {
        if (i + 1 >= args.size()) {
          fail(QStringLiteral("option '--report-dir' needs a folder"));
          continue;
        }
        value = args.at(++i);
      } else {
        value = arg.mid(kReportDirOption.size() + 1);
      }
      if (value.isEmpty()) {
        fail(QStringLiteral("option '--report-dir' needs a folder"));
        continue;
      }
      o.reportDir = value;
      o.reportDirGiven = true;
    } else {
      fail(QStringLiteral("unknown option '%1'").arg(arg));
    }
  }

  if (o.action != CliOptions::Action::Run) {
    result.error.clear();
  } else if (result.ok() && o.files.isEmpty()) {
    fail(QStringLiteral("no FILE given"));
  }
  return result;
}

QString cliUsage() {
  return QStringLiteral(
      "Usage: kelvaron-cli [OPTION]... FILE|FOLDER...\n"
      "   or: kelvaron-cli bom|where-used|check|diff ... (each has --help)\n"
      "Lists the parts built into each Pro/ENGINEER assembly FILE (*.asm, *.asm.N)\n"
      "and writes its parts report NAME__Kelvaron.txt into the report folder.\n"
      "A FOLDER is searched with all its subfolders for names matching *.asm.*;\n"
      "every file found is handled like a FILE, in the order of the search.\n"
      "The subcommands work across files: bom (the product structure and totals),\n"
      "where-used, check (missing, unreadable and unused files) and diff (two\n"
      "versions); a file named like one is given as ./bom.\n"
      "\n"
      "  --report-dir DIR  write the reports into DIR (default: the report folder\n"
      "                    saved by the Kelvaron window, else the home folder)\n"
      "  --no-report       list the parts only; write no report\n"
      "  --json            print one JSON object per file per line, with the keys\n"
      "                    \"file\", \"parts\" (the list), \"assembly\", \"report\",\n"
      "                    \"error\", \"format\" {\"generation\",\"writer\",\"model\"},\n"
      "                    \"components\" [{\"name\",\"type\",\"quantity\",\"suppressed\"\n"
      "                    and, where known, \"subtype\",\"generic\",\"source\",\"file\"}]\n"
      "                    and \"notes\" [...]\n"
      "  -l, --long        instead of the bare list, one aligned line per component:\n"
      "                    quantity, suppressed (when any), type, name, generic;\n"
      "                    first a line with the writer and the number of\n"
      "                    components and instances\n"
      "  --latest          of the versions NAME.asm.N in one folder, only the\n"
      "                    highest N is analysed\n"
      "  --list            print the files that would be analysed, one a line,\n"
      "                    and analyse none (no reports)\n"
      "  -j, --jobs N      analyse N files at once (default: the number of cores);\n"
      "                    the output keeps the order of the files\n"
      "  -h, --help        show this help and exit\n"
      "  --version         show the version and exit\n"
      "\n"
      "With several files or a FOLDER each list starts with a line \"==> FILE <==\".\n"
      "A file whose layout is recognised but cannot be read is listed by the plain\n"
      "marker scan, with the reason on standard error; it still counts as analysed.\n"
      "A match that is a folder is skipped with a note. While standard error is a\n"
      "terminal a progress bar is shown there; a summary line ends every run.\n"
      "Exit status: 0 every file analysed and its report written,\n"
      "1 some file could not be read or its report not written, 2 usage error,\n"
      "130 interrupted (Ctrl-C or SIGTERM; no report is left half written).\n");
}

}  // namespace kelvaron::cli
