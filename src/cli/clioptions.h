#pragma once
// The command line of kelvaron-cli.

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace kelvaron::cli {

/// What the command line asks for.
struct CliOptions {
  enum class Action { Run, Help, Version };

  Action action = Action::Run;
  QStringList files;  ///< the FILE arguments, in order, as given
  QString reportDir;  ///< the --report-dir folder; empty: the saved one
  bool reportDirGiven = false;
  bool writeReports = true;  ///< false with --no-report
  bool json = false;         ///< one JSON object per file instead of text
  bool longList = false;     ///< --long: one line per component with type and counts
  bool latest = false;       ///< --latest: only the highest version name.asm.N per folder
  bool listOnly = false;     ///< --list: print the files that would be analysed, analyse none
  int jobs = 0;              ///< --jobs N; 0: the number of cores
};

/// The result of parsing: the options, or a usage error text.
struct CliParseResult {
  CliOptions options;
  QString error;  ///< empty when the command line is valid
  bool ok() const { return error.isEmpty(); }
};

/// Parses the arguments after the program name with CLI11, in the GNU forms:
/// "--" ends the options; a lone "-" and everything after "--" are files.
/// "--report-dir DIR" and "--report-dir=DIR" are the same, as are "--jobs N",
/// "--jobs=N", "-j N" and "-jN" (N from 1 to 256); options and files mix in
/// any order. --help and --version win over any error.
/// parseCliArguments({"--json", "-j2", "a.asm"}) gives json, jobs = 2, files = {"a.asm"}.
/// Subcommands sit beside this main command: the caller hands the arguments
/// to a subcommand when the first one is its name (so "./bom" is a file).
CliParseResult parseCliArguments(const QStringList& args);

/// Declares the main command's options on `app`, filling `options` and the
/// native bytes of the FILE arguments in `files` when `app` parses.
void addMainCommand(CLI::App& app, CliOptions& options, std::vector<std::string>& files);

/// The text printed by --help.
QString cliUsage();

}  // namespace kelvaron::cli
