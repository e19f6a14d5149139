#pragma once
// The exit status of kelvaron-cli.

namespace kelvaron::cli {

/// What the program's exit status tells the caller.
enum class ExitStatus : int {
  Success = 0,        ///< every file analysed and its report written
  Failure = 1,        ///< some file could not be read or its report not written
  Usage = 2,          ///< the command line is not valid
  Interrupted = 130,  ///< stopped by Ctrl-C or SIGTERM (128 + SIGINT, as shells report it)
  // The bill-of-materials subcommands answer as check and diff tools do:
  Found = 1,    ///< check found missing or unreadable files; diff found differences
  Trouble = 2,  ///< a usage error, or a file or folder a subcommand needs cannot be used
};

}  // namespace kelvaron::cli
