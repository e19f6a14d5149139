#pragma once
// The exit status of kelvaron-cli.

namespace kelvaron::cli {

/// What the program's exit status tells the caller.
enum class ExitStatus : int {
  Success = 0,        ///< every file analysed and its report written
  Failure = 1,        ///< some file could not be read or its report not written
  Usage = 2,          ///< the command line is not valid
  Interrupted = 130,  ///< stopped by Ctrl-C or SIGTERM (128 + SIGINT, as shells report it)
};

}  // namespace kelvaron::cli
