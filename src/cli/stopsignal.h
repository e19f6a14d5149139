#pragma once
// Ctrl-C and SIGTERM as a stop request the run polls.

#include <atomic>

namespace kelvaron::cli {

/// The flag SIGINT and SIGTERM set once installStopHandlers() has run.
std::atomic<bool>& stopFlag();

/// Makes SIGINT, SIGTERM, SIGHUP and SIGQUIT set stopFlag(); a second signal
/// ends the program at once, as without the handlers (reports under way are
/// unnamed files, which vanish with the process). Ignores SIGPIPE and SIGXFSZ,
/// so a closed pipe or a file past the size limit is a failed write.
void installStopHandlers();

/// Opens /dev/null on any of descriptors 0, 1 and 2 that is closed, so no
/// file opened later takes their number. Call first thing.
void reopenClosedStandardStreams();

}  // namespace kelvaron::cli
