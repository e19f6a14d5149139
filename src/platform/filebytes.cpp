#include "platform/filebytes.h"

#include "platform/nativefile.h"
#include "platform/nativepath.h"
#include "platform/pathopen.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <sys/stat.h>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace kelvaron::platform {

namespace {

const QString kChanged = QStringLiteral("the file changed while it was read");

// One read call at most this long, so a stop request is seen between blocks
// however slow the device is; files this long or longer are mapped.
constexpr std::size_t kBlock = std::size_t{1} << 20;

}  // namespace

FileBytes::~FileBytes() { release(); }

#ifndef _WIN32

namespace {

// Large files are mapped, not copied: making fresh pages for a copy costs
// more than the scan. A mapped file that shrinks (or whose device fails)
// raises SIGBUS on the missing pages; the handler puts a page of zeros there
// and marks the mapping, and the reader reports the file as changed once it
// has used the bytes. A slot per mapping, found by address.
struct GuardedMapping {
  std::atomic<std::uintptr_t> begin{0};
  std::atomic<std::uintptr_t> end{0};
  std::atomic<bool> faulted{false};
};
constexpr int kMappingSlots = 512;
GuardedMapping g_mappings[kMappingSlots];
std::uintptr_t g_pageSize = 4096;
struct sigaction g_previousBusAction {};

extern "C" void onBusError(int signal, siginfo_t* info, void* context) {
  const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
  for (GuardedMapping& m : g_mappings) {
    const std::uintptr_t begin = m.begin.load(std::memory_order_acquire);
    if (begin <= 1 || address < begin || address >= m.end.load(std::memory_order_acquire)) continue;
    void* page = reinterpret_cast<void*>(address & ~(g_pageSize - 1));
    if (::mmap(page, g_pageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED) {
      m.faulted.store(true, std::memory_order_release);
      return;
    }
  }
  // Not a guarded mapping: whatever handled SIGBUS before (by default the
  // end of the process) handles it.
  if (g_previousBusAction.sa_flags & SA_SIGINFO) {
    if (g_previousBusAction.sa_sigaction) g_previousBusAction.sa_sigaction(signal, info, context);
    return;
  }
  if (g_previousBusAction.sa_handler != SIG_DFL && g_previousBusAction.sa_handler != SIG_IGN) {
    g_previousBusAction.sa_handler(signal);
    return;
  }
  ::signal(SIGBUS, SIG_DFL);  // the access repeats and ends the process
}

void installBusGuard() {
  static const bool installed = [] {
    g_pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    struct sigaction action {};
    action.sa_sigaction = onBusError;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    return ::sigaction(SIGBUS, &action, &g_previousBusAction) == 0;
  }();
  (void)installed;
}

// A free slot for the mapping [begin, begin + size), or -1.
int guardMapping(const void* begin, std::size_t size) {
  constexpr std::uintptr_t kClaimed = 1;  // no mapping starts there
  for (int i = 0; i < kMappingSlots; ++i) {
    GuardedMapping& m = g_mappings[i];
    std::uintptr_t expected = 0;
    if (!m.begin.compare_exchange_strong(expected, kClaimed, std::memory_order_acq_rel)) continue;
    // The range is complete before the handler can match it.
    m.end.store(reinterpret_cast<std::uintptr_t>(begin) + size, std::memory_order_release);
    m.faulted.store(false, std::memory_order_release);
    m.begin.store(reinterpret_cast<std::uintptr_t>(begin), std::memory_order_release);
    return i;
  }
  return -1;
}

}  // namespace

void FileBytes::release() {
  if (m_slot >= 0) {
    ::munmap(m_bytes, m_size);
    g_mappings[m_slot].begin.store(0, std::memory_order_release);
    m_slot = -1;
  } else {
    delete[] m_bytes;
  }
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  m_bytes = nullptr;
  m_size = 0;
}

bool FileBytes::open(const QString& path, const std::function<bool()>& keepGoing) {
  release();
  m_error.clear();
  m_stopped = false;
  // O_NONBLOCK: opening a FIFO or a device must not wait; what was opened
  // (not what the name was) is checked next.
  m_fd = openPath(toNativeBytes(path), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  const auto fail = [this](const QString& error) {
    release();
    m_error = error;
    return false;
  };
  if (m_fd < 0) return fail(systemErrorText(errno));
  struct stat st {};
  if (::fstat(m_fd, &st) != 0) return fail(systemErrorText(errno));
  if (S_ISDIR(st.st_mode)) return fail(systemErrorText(EISDIR));
  if (!S_ISREG(st.st_mode)) return fail(QStringLiteral("not a regular file"));
  m_openedSize = st.st_size;
  m_openedTime = st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
  // The size is the system's own account of a regular file; nothing past it is read.
  const auto size = static_cast<std::size_t>(st.st_size);
  if (size == 0) return true;

  if (size >= kBlock) {
    installBusGuard();
    void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, m_fd, 0);
    if (map != MAP_FAILED) {
      m_slot = guardMapping(map, size);
      if (m_slot >= 0) {
        // Read ahead as the scan goes, never all at once: a failing device
        // would hold the process in the kernel.
        ::madvise(map, size, MADV_SEQUENTIAL);
        m_bytes = static_cast<char*>(map);
        m_size = size;
        return true;
      }
      ::munmap(map, size);
    }
  }

  m_bytes = new (std::nothrow) char[size];
  if (!m_bytes) return fail(systemErrorText(ENOMEM));
  std::size_t got = 0;
  while (got < size) {
    if (keepGoing && !keepGoing()) {
      m_stopped = true;
      return fail(QStringLiteral("stopped"));
    }
    const std::size_t want = std::min(kBlock, size - got);
    const ssize_t n = ::pread(m_fd, m_bytes + got, want, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail(systemErrorText(errno));
    if (n == 0) return fail(kChanged);  // shorter than when it was opened
    got += static_cast<std::size_t>(n);
  }
  m_size = size;
  if (!verify()) return fail(m_error);
  ::close(m_fd);
  m_fd = -1;
  return true;
}

bool FileBytes::verify() {
  if (m_fd < 0) return m_error.isEmpty();
  struct stat st {};
  char probe = 0;
  const bool faulted = m_slot >= 0 && g_mappings[m_slot].faulted.load(std::memory_order_acquire);
  if (faulted || ::fstat(m_fd, &st) != 0 || st.st_size != m_openedSize ||
      st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec != m_openedTime ||
      ::pread(m_fd, &probe, 1, static_cast<off_t>(m_size)) > 0) {
    // A device error shows as a page that could not be read: ask for its reason.
    const ssize_t n = faulted ? ::pread(m_fd, &probe, 1, 0) : 1;
    m_error = n < 0 ? systemErrorText(errno) : kChanged;
    return false;
  }
  return true;
}

#else

void FileBytes::release() {
  delete[] m_bytes;
  m_bytes = nullptr;
  m_size = 0;
}

bool FileBytes::verify() { return m_error.isEmpty(); }

bool FileBytes::open(const QString& path, const std::function<bool()>& keepGoing) {
  release();
  m_error.clear();
  m_stopped = false;
  NativeFile file;
  if (!file.open(path)) {
    m_error = file.errorString();
    return false;
  }
  const auto size = static_cast<std::size_t>(file.size());
  if (size == 0) return true;
  m_bytes = new (std::nothrow) char[size];
  if (!m_bytes) {
    m_error = systemErrorText(ENOMEM);
    return false;
  }
  const auto fail = [this](const QString& error) {
    release();
    m_error = error;
    return false;
  };
  std::size_t got = 0;
  while (got < size) {
    if (keepGoing && !keepGoing()) {
      m_stopped = true;
      return fail(QStringLiteral("stopped"));
    }
    const std::int64_t n = file.read(m_bytes + got, static_cast<std::int64_t>(std::min(kBlock, size - got)));
    if (n < 0) return fail(file.errorString());
    if (n == 0) return fail(kChanged);
    got += static_cast<std::size_t>(n);
  }
  m_size = size;
  return true;
}

#endif

}  // namespace kelvaron::platform
