#include "platform/filebytes.h"

#include "platform/nativefile.h"
#include "platform/nativepath.h"
#include "platform/pathopen.h"

#include <cerrno>
#include <sys/stat.h>
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace kelvaron::platform {

namespace {

const QString kChanged = QStringLiteral("the file changed while it was read");

// One read call at most this long, so a stop request is seen between blocks
// however slow the device is.
constexpr std::size_t kBlock = std::size_t{1} << 20;

}  // namespace

#ifndef _WIN32

bool FileBytes::open(const QString& path, const std::function<bool()>& keepGoing) {
  m_bytes.reset();
  m_size = 0;
  m_error.clear();
  m_stopped = false;
  // O_NONBLOCK: opening a FIFO or a device must not wait; what was opened
  // (not what the name was) is checked next.
  const int fd = openPath(toNativeBytes(path), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    m_error = systemErrorText(errno);
    return false;
  }
  struct FdCloser {
    int fd;
    ~FdCloser() { ::close(fd); }
  } closer{fd};
  struct stat before {};
  if (::fstat(fd, &before) != 0) {
    m_error = systemErrorText(errno);
    return false;
  }
  if (S_ISDIR(before.st_mode)) {
    m_error = systemErrorText(EISDIR);
    return false;
  }
  if (!S_ISREG(before.st_mode)) {
    m_error = QStringLiteral("not a regular file");
    return false;
  }
  const auto size = static_cast<std::size_t>(before.st_size);
  // The size is the system's own account of a regular file; nothing past it is read.
  std::unique_ptr<char[]> bytes(size > 0 ? new (std::nothrow) char[size] : nullptr);
  if (size > 0 && !bytes) {
    m_error = systemErrorText(ENOMEM);
    return false;
  }
  std::size_t got = 0;
  while (got < size) {
    if (keepGoing && !keepGoing()) {
      m_stopped = true;
      m_error = QStringLiteral("stopped");
      return false;
    }
    const std::size_t want = std::min(kBlock, size - got);
    const ssize_t n = ::pread(fd, bytes.get() + got, want, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      m_error = systemErrorText(errno);
      return false;
    }
    if (n == 0) {  // shorter than when it was opened
      m_error = kChanged;
      return false;
    }
    got += static_cast<std::size_t>(n);
  }
  struct stat after {};
  char probe = 0;
  if (::fstat(fd, &after) != 0 || after.st_size != before.st_size || after.st_mtim.tv_sec != before.st_mtim.tv_sec ||
      after.st_mtim.tv_nsec != before.st_mtim.tv_nsec || ::pread(fd, &probe, 1, static_cast<off_t>(size)) > 0) {
    m_error = kChanged;
    return false;
  }
  m_bytes = std::move(bytes);
  m_size = size;
  return true;
}

#else

bool FileBytes::open(const QString& path, const std::function<bool()>& keepGoing) {
  m_bytes.reset();
  m_size = 0;
  m_error.clear();
  m_stopped = false;
  NativeFile file;
  if (!file.open(path)) {
    m_error = file.errorString();
    return false;
  }
  const auto size = static_cast<std::size_t>(file.size());
  std::unique_ptr<char[]> bytes(size > 0 ? new (std::nothrow) char[size] : nullptr);
  if (size > 0 && !bytes) {
    m_error = systemErrorText(ENOMEM);
    return false;
  }
  std::size_t got = 0;
  while (got < size) {
    if (keepGoing && !keepGoing()) {
      m_stopped = true;
      m_error = QStringLiteral("stopped");
      return false;
    }
    const std::int64_t n = file.read(bytes.get() + got, static_cast<std::int64_t>(std::min(kBlock, size - got)));
    if (n < 0) {
      m_error = file.errorString();
      return false;
    }
    if (n == 0) {
      m_error = kChanged;
      return false;
    }
    got += static_cast<std::size_t>(n);
  }
  m_bytes = std::move(bytes);
  m_size = size;
  return true;
}

#endif

}  // namespace kelvaron::platform
