#include "cli/stopsignal.h"

#include <csignal>

namespace kelvaron::cli {

namespace {
std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

extern "C" void onStopSignal(int) { g_stop.store(true, std::memory_order_relaxed); }
}  // namespace

std::atomic<bool>& stopFlag() { return g_stop; }

void installStopHandlers() {
#ifdef _WIN32
  std::signal(SIGINT, onStopSignal);
  std::signal(SIGTERM, onStopSignal);
#else
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  // A second signal takes the default way out; reads under way carry on.
  action.sa_flags = SA_RESETHAND | SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
#endif
}

}  // namespace kelvaron::cli
