#pragma once
// Ctrl-C and SIGTERM as a stop request the run polls.

#include <atomic>

namespace kelvaron::cli {

/// The flag SIGINT and SIGTERM set once installStopHandlers() has run.
std::atomic<bool>& stopFlag();

/// Makes SIGINT and SIGTERM set stopFlag(); a second signal ends the
/// program at once, as without the handlers.
void installStopHandlers();

}  // namespace kelvaron::cli
