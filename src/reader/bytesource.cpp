#include "reader/bytesource.h"

#include "platform/nativefile.h"
#include "platform/nativepath.h"
#include "platform/pathopen.h"

#include <algorithm>
#include <cerrno>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kelvaron::reader {

namespace {

// How many bytes [offset, offset + length) holds of a source of `size` bytes.
std::int64_t clampedLength(std::int64_t size, std::int64_t offset, std::int64_t length) {
  if (offset < 0 || length <= 0 || offset >= size) return 0;
  return std::min(length, size - offset);
}

}  // namespace

bool MemorySource::read(std::int64_t offset, std::int64_t length, std::string& out, QString*) const {
  const std::int64_t n = clampedLength(size(), offset, length);
  out.assign(n > 0 ? m_bytes.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(n))
                   : std::string_view());
  return true;
}

bool HeadCachedSource::read(std::int64_t offset, std::int64_t length, std::string& out, QString* error) const {
  const auto held = static_cast<std::int64_t>(m_head.size());
  const bool whole = held == m_source.size();
  if (offset < 0 || length <= 0 || offset >= held || (length > held - offset && !whole))
    return m_source.read(offset, length, out, error);
  out.assign(m_head.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(std::min(length, held - offset))));
  return true;
}

#ifdef _WIN32

// NativeFile opens with full sharing and refuses devices and names Windows
// would take for other files, as for every other read.
struct FileSource::Impl {
  platform::NativeFile file;
};

FileSource::FileSource() = default;
FileSource::~FileSource() = default;

bool FileSource::open(const QString& path, QString* reason) {
  m_impl.reset();
  m_size = 0;
  auto impl = std::make_unique<Impl>();
  if (!impl->file.open(path)) {
    if (reason) *reason = impl->file.errorString();
    return false;
  }
  m_size = impl->file.size();
  m_impl = std::move(impl);
  return true;
}

bool FileSource::read(std::int64_t offset, std::int64_t length, std::string& out, QString* error) const {
  const std::int64_t n = clampedLength(m_size, offset, length);
  if (n == 0 || !m_impl || !m_impl->file.seek(offset)) {
    out.clear();
    if (n != 0 && error) *error = m_impl ? m_impl->file.errorString() : platform::systemErrorText(EBADF);
    return n == 0;
  }
  // Sized, not cleared first, as on POSIX systems.
  out.resize(static_cast<std::size_t>(n));
  const std::int64_t got = m_impl->file.read(out.data(), n);
  if (got < n) {
    out.clear();
    if (error) *error = got < 0 ? m_impl->file.errorString() : QStringLiteral("the file changed while it was read");
    return false;
  }
  return true;
}

#else

struct FileSource::Impl {
  int fd = -1;
  ~Impl() {
    if (fd >= 0) ::close(fd);
  }
};

FileSource::FileSource() = default;
FileSource::~FileSource() = default;

bool FileSource::open(const QString& path, QString* reason) {
  m_impl.reset();
  m_size = 0;
  auto impl = std::make_unique<Impl>();
  // O_NONBLOCK: opening a FIFO or a device must not wait; it is refused below.
  impl->fd = platform::openPath(platform::toNativeBytes(path), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (impl->fd < 0) {
    if (reason) *reason = platform::systemErrorText(errno);
    return false;
  }
  struct stat st {};
  if (::fstat(impl->fd, &st) != 0) {
    if (reason) *reason = platform::systemErrorText(errno);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    // A folder is named as such, as every other read of a file names it.
    if (reason) *reason = S_ISDIR(st.st_mode) ? platform::systemErrorText(EISDIR) : QStringLiteral("not a regular file");
    return false;
  }
  m_size = static_cast<std::int64_t>(st.st_size);
  m_impl = std::move(impl);
  return true;
}

bool FileSource::read(std::int64_t offset, std::int64_t length, std::string& out, QString* error) const {
  const std::int64_t n = clampedLength(m_size, offset, length);
  if (n == 0 || !m_impl) {
    out.clear();
    if (n != 0 && error) *error = platform::systemErrorText(EBADF);
    return n == 0;
  }
  // Sized, not cleared first: a buffer reused from an earlier read is not
  // zeroed again before the bytes overwrite it.
  out.resize(static_cast<std::size_t>(n));
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t got = ::pread(m_impl->fd, out.data() + done, out.size() - done,
                                static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      out.clear();
      if (error) {
        *error = got < 0 ? platform::systemErrorText(errno) : QStringLiteral("the file changed while it was read");
      }
      return false;
    }
    done += static_cast<std::size_t>(got);
  }
  return true;
}

#endif

}  // namespace kelvaron::reader
