#include "cli/clioptions.h"

#include "cli/commands.h"
#include "platform/nativepath.h"

#include <CLI/CLI.hpp>

namespace kelvaron::cli {

namespace {
constexpr int kMaxJobs = 256;

const QString kNeedsJobs = QStringLiteral("option '--jobs' needs a number from 1 to %1").arg(kMaxJobs);
const QString kNeedsFolder = QStringLiteral("option '--report-dir' needs a folder");

// The texts users have seen so far for CLI11's errors, by the option they name.
QString messageFor(const CLI::Error& error, const std::vector<std::string>& extras) {
  const std::string what = error.what();
  if (what.find("--jobs") != std::string::npos) return kNeedsJobs;
  if (what.find("--report-dir") != std::string::npos) return kNeedsFolder;
  for (const std::string& extra : extras)
    if (extra.size() > 1 && extra.front() == '-')
      return QStringLiteral("unknown option '%1'").arg(platform::fromNativeBytes(extra));
  return QString::fromStdString(what);
}

}  // namespace

void addMainCommand(CLI::App& app, CliOptions& o, std::vector<std::string>& files) {
  app.set_help_flag();  // --help is looked for before parsing, so it wins over any error
  app.add_flag("-h,--help");
  app.add_flag("--version");
  app.add_flag("--no-report", [&o](std::int64_t) { o.writeReports = false; });
  app.add_flag("--json", o.json);
  app.add_flag("-l,--long", o.longList);
  app.add_flag("--list", o.listOnly);
  app.add_flag("--latest", o.latest);
  app.add_option("-j,--jobs", o.jobs)
      ->check(CLI::Range(1, kMaxJobs))
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.add_option_function<std::string>("--report-dir",
                                       [&o](const std::string& dir) {
                                         if (dir.empty()) throw CLI::ValidationError("--report-dir", "empty");
                                         o.reportDir = platform::fromNativeBytes(dir);
                                         o.reportDirGiven = true;
                                       })
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.add_option("files", files);
}

CliParseResult parseCliArguments(const QStringList& args) {
  CliParseResult result;
  CliOptions& o = result.options;
  // --help and --version win over every error, wherever they stand before "--".
  for (const QString& arg : args) {
    if (arg == u"--") break;
    if (arg == u"--help" || arg == u"-h") o.action = CliOptions::Action::Help;
    if (arg == u"--version" && o.action != CliOptions::Action::Help) o.action = CliOptions::Action::Version;
  }
  if (o.action != CliOptions::Action::Run) return result;
  // CLI11 would take the next argument as the folder of an empty "--report-dir=".
  const qsizetype optionsEnd = args.indexOf(QStringLiteral("--"));
  const QStringList options = args.mid(0, optionsEnd < 0 ? args.size() : optionsEnd);
  if (options.contains(QStringLiteral("--report-dir="))) {
    result.error = kNeedsFolder;
    return result;
  }
  // A switch is on by being there: CLI11 would read "--no-report=0" as on and
  // fail on "--no-report=x" outside its own errors.
  for (const QString& arg : options) {
    for (const char* flag : {"--no-report", "--json", "--long", "--list", "--latest", "--help", "--version"}) {
      if (arg.startsWith(QLatin1String(flag) + u'=')) {
        result.error = QStringLiteral("option '%1' takes no value").arg(QLatin1String(flag));
        return result;
      }
    }
  }

  CLI::App app;
  app.allow_extras();  // unknown options are told in this program's words below
  std::vector<std::string> files;
  addMainCommand(app, o, files);
  try {
    app.parse(cli11Arguments(args));
  } catch (const CLI::ParseError& e) {
    result.error = messageFor(e, app.remaining());
    return result;
  }
  const std::vector<std::string> extras = app.remaining();
  for (const std::string& extra : extras) {
    if (extra.size() > 1 && extra.front() == '-' && extra != "--") {
      result.error = QStringLiteral("unknown option '%1'").arg(platform::fromNativeBytes(extra));
      return result;
    }
  }
  for (const std::string& f : files) o.files.append(platform::fromNativeBytes(f));
  for (const std::string& f : extras)
    if (f != "--") o.files.append(platform::fromNativeBytes(f));
  if (o.files.isEmpty()) result.error = QStringLiteral("no FILE given");
  return result;
}

QString cliUsage() {
  return QStringLiteral(
      "Usage: kelvaron-cli [OPTION]... FILE|FOLDER...\n"
      "   or: kelvaron-cli bom|where-used|check|diff|info|picture ... (each has --help)\n"
      "Lists the parts built into each Pro/ENGINEER assembly FILE (*.asm, *.asm.N)\n"
      "and writes its parts report NAME__Kelvaron.txt into the report folder.\n"
      "A FOLDER is searched with all its subfolders for names matching *.asm.*;\n"
      "every file found is handled like a FILE, in the order of the search.\n"
      "The subcommands work across files: bom (the product structure and totals),\n"
      "where-used, check (missing, unreadable and unused files) and diff (two\n"
      "versions), info (part data) and picture (the stored picture); a file named\n"
      "like one is given as ./bom.\n"
      "\n"
      "  --report-dir=DIR  write the reports into DIR (default: the report folder\n"
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
      "  -j, --jobs=N      analyse N files at once (default: the number of cores);\n"
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
      "130 interrupted (Ctrl-C, SIGTERM, SIGHUP or SIGQUIT; no report is left\n"
      "half written). \"--\" ends the options.\n");
}

}  // namespace kelvaron::cli
