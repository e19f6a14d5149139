#include "cli/commands.h"

#include "cli/bomcommands.h"
#include "cli/clioptions.h"
#include "cli/clirunner.h"
#include "cli/infocommand.h"
#include "cli/stopsignal.h"
#include "platform/nativepath.h"
#include "platform/settingsstore.h"
#include "version.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <thread>

namespace kelvaron::cli {

namespace {

constexpr int kMaxJobs = 256;

const char* const kBomFooter =
    "Exit status: 0 a complete answer (diff: the files agree); 1 an incomplete one\n"
    "(a file missing, unreadable or in a cycle, a folder that cannot be searched;\n"
    "diff: the files differ); 2 a usage error, or a file or folder the command\n"
    "needs cannot be used or the result cannot be written.";

void addSharedOptions(CLI::App& app, SharedOptions& o, Command::Shares shares) {
  if (shares == Command::Shares::None) return;
  if (shares == Command::Shares::All) {
    app.add_option("--format", o.format, "text, csv, json or xlsx (xlsx needs -o FILE)")
        ->check(CLI::IsMember({"text", "csv", "json", "xlsx"}));
    app.add_option("-o,--output", o.output,
                   "write to FILE, complete or not at all (a device or pipe is written through; - is standard output)");
  }
  app.add_option("-j,--jobs", o.jobs, "read N files at once (default: one per core)")
      ->check(CLI::Range(1, kMaxJobs))
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

}  // namespace

int CommandContext::jobs() const {
  return shared.jobs > 0 ? shared.jobs : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

const std::vector<Command>& commands() {
  static const std::vector<Command> table = {bomCommand(),  whereUsedCommand(), checkCommand(),
                                             diffCommand(), infoCommand(),      pictureCommand()};
  return table;
}

bool isCommand(const QString& first) {
  const auto& all = commands();
  return std::any_of(all.begin(), all.end(), [&](const Command& c) { return c.name == first; });
}

std::vector<std::string> cli11Arguments(const QStringList& args) {
  std::vector<std::string> reversed;
  reversed.reserve(static_cast<std::size_t>(args.size()));
  for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(platform::toNativeBytes(*it));
  return reversed;
}

int runCommandLine(const QStringList& args, std::FILE* out, std::FILE* err, const bom::ModelLoader& loader) {
  if (!args.isEmpty() && isCommand(args.first())) return runCommand(args, out, err, loader);
  return runListing(args, out, err);
}

int runCommand(const QStringList& args, std::FILE* out, std::FILE* err, const bom::ModelLoader& loader) {
  const QString name = args.value(0);
  const std::string shownName = name.toStdString();
  CLI::App app("Bills of materials and part data across assembly files.", "kelvaron-cli");
  app.require_subcommand(1, 1);
  app.set_help_flag("-h,--help", "show this help and exit");

  CommandContext context;
  context.out = out;
  context.messages = Messages(err);
  context.loader = loader;
  CommandRun run;
  for (const Command& command : commands()) {
    CLI::App* sub = app.add_subcommand(command.name.toStdString(), command.summary.toStdString());
    addSharedOptions(*sub, context.shared, command.shares);
    sub->footer(command.footer ? command.footer : kBomFooter);
    CommandRun bound = command.declare(*sub);
    if (command.name == name) run = std::move(bound);
  }

  try {
    app.parse(cli11Arguments(args));
  } catch (const CLI::CallForHelp&) {
    std::fputs(app.help().c_str(), out);
    return static_cast<int>(ExitStatus::Success);
  } catch (const CLI::ParseError& e) {
    std::fprintf(err, "kelvaron-cli %s: %s\nTry 'kelvaron-cli %s --help' for more information.\n", shownName.c_str(),
                 e.what(), shownName.c_str());
    return static_cast<int>(ExitStatus::Usage);
  }
  const bool toStandardOutput = context.shared.output.empty() || context.shared.output == "-";
  if (context.shared.format == "xlsx" && toStandardOutput) {
    std::fprintf(err, "kelvaron-cli %s: --format xlsx needs -o FILE\n", shownName.c_str());
    return static_cast<int>(ExitStatus::Usage);
  }
  return static_cast<int>(run(context));
}

int runListing(const QStringList& args, std::FILE* out, std::FILE* err) {
  const auto parsed = parseCliArguments(args);
  if (!parsed.ok()) {
    Messages(err).say(parsed.error);
    std::fputs("Try 'kelvaron-cli --help' for more information.\n", err);
    return static_cast<int>(ExitStatus::Usage);
  }
  switch (parsed.options.action) {
    case CliOptions::Action::Help:
      std::fputs(cliUsage().toUtf8().constData(), out);
      return static_cast<int>(ExitStatus::Success);
    case CliOptions::Action::Version:
      std::fprintf(out, "kelvaron-cli %s\n", kVersion);
      return static_cast<int>(ExitStatus::Success);
    case CliOptions::Action::Run:
      break;
  }
  const QString folder = parsed.options.reportDirGiven ? parsed.options.reportDir : platform::savedReportFolder();
  CliRunner runner(parsed.options, folder, out, err);
  installStopHandlers();
  runner.setStopFlag(&stopFlag());
  return static_cast<int>(runner.run());
}

}  // namespace kelvaron::cli
