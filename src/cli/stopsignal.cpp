#include "cli/stopsignal.h"

#include <cerrno>
#include <csignal>
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace kelvaron::cli {

namespace {
std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the flag is set from a signal handler");

extern "C" void onStopSignal(int) { g_stop.store(true, std::memory_order_relaxed); }
}  // namespace

std::atomic<bool>& stopFlag() { return g_stop; }

void reopenClosedStandardStreams() {
#ifndef _WIN32
  // A standard descriptor left closed would be taken by the next file opened,
  // and messages meant for stderr would land inside a report.
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
#endif
}

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
  // A closed terminal (SIGHUP) and Ctrl-\ (SIGQUIT) stop as SIGTERM does,
  // so every report under way is dropped whole.
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaction(signal, &action, nullptr);
  // A closed output pipe and a file past the size limit show up as write
  // errors (EPIPE, EFBIG), which the run handles: the pipe ends it quietly,
  // the size limit fails that one report.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

}  // namespace kelvaron::cli
