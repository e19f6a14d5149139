#pragma once
// The exit status of kelvaron-cli.

namespace kelvaron::cli {

/// What the program's exit status tells the caller.
enum class ExitStatus : int {
  Success = 0,        ///< every file analysed and its report written
  Failure = 1,        ///< some file could not be read or its report not written
  Usage = 2,          ///< the command line is not valid
  Interrupted = 130,  ///< stopped by Ctrl-C or SIGTERM (128 + SIGINT, as shells report it)
  // The bill-of-materials commands answer as check and diff tools do:
  Found = 1,    ///< incomplete (missing, unreadable, cyclic files, folders not searched); diff: they differ
  Trouble = 2,  ///< a usage error, or a file or folder a command needs cannot be used
};

/// The status of two outcomes together: an interruption over everything,
/// then the more serious (Trouble over Found over Success).
constexpr ExitStatus merge(ExitStatus a, ExitStatus b) {
  if (a == ExitStatus::Interrupted || b == ExitStatus::Interrupted) return ExitStatus::Interrupted;
  return static_cast<int>(a) >= static_cast<int>(b) ? a : b;
}

}  // namespace kelvaron::cli
