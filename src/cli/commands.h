#pragma once
// The commands of kelvaron-cli in one table. The listing is the default
// command; bom, where-used, check and diff are entries that share the output
// options and -j; info shares -j, picture writes one file of its own.

#include "bom/modelcache.h"
#include "cli/exitstatus.h"
#include "cli/messages.h"

#include <QString>
#include <QStringList>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace kelvaron::cli {

/// What every command but the listing shares.
struct SharedOptions {
  std::string format = "text";  ///< text, csv, json or xlsx
  std::string output;           ///< -o: a file; empty or "-": standard output
  int jobs = 0;                 ///< -j: files read at once; 0: one per core
};

/// What a command's run is handed.
struct CommandContext {
  SharedOptions shared;
  std::FILE* out = nullptr;
  Messages messages{stderr};
  bom::ModelLoader loader;
  /// The files to read at once: -j, else one per core.
  int jobs() const;
};

using CommandRun = std::function<ExitStatus(const CommandContext&)>;

/// One command: its name, a line for --help, and a step that declares its
/// own options and arguments on its CLI11 app and returns its run, bound to
/// the values parsed; which shared options it takes, and what its help says
/// of the exit status.
struct Command {
  enum class Shares { All, Jobs, None };
  QString name;
  QString summary;
  std::function<CommandRun(CLI::App& app)> declare;
  Shares shares = Shares::All;
  const char* footer = nullptr;  ///< nullptr: the bill-of-materials commands' exit statuses
};

/// The commands besides the listing, in the order help lists them.
const std::vector<Command>& commands();

/// Whether `first` (the first argument) names a command. "./bom" does not: a
/// file named like a command is reached that way.
bool isCommand(const QString& first);

/// The arguments as CLI11 takes them: native bytes, last first, so names
/// that are not UTF-8 keep their bytes.
std::vector<std::string> cli11Arguments(const QStringList& args);

/// Runs the whole command line (the arguments after the program name): the
/// command args[0] names, or else the listing. Returns the exit status.
/// runCommandLine({"check", "proj"}, ...) is 1 when proj lacks a file.
int runCommandLine(const QStringList& args, std::FILE* out, std::FILE* err, const bom::ModelLoader& loader);

/// Runs the command `args[0]` with the arguments after it.
int runCommand(const QStringList& args, std::FILE* out, std::FILE* err, const bom::ModelLoader& loader);

/// The default command: lists the parts of each FILE and FOLDER match.
int runListing(const QStringList& args, std::FILE* out, std::FILE* err);

}  // namespace kelvaron::cli
