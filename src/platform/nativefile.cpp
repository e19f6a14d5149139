#include "platform/nativefile.h"

#include "platform/nativepath.h"
#include "platform/pathopen.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#define KELVARON_FSTAT _fstat64
#define KELVARON_STAT_T struct _stat64
#define KELVARON_FSEEK _fseeki64
#else
#include <fcntl.h>
#include <unistd.h>
#define KELVARON_FSTAT fstat
#define KELVARON_STAT_T struct stat
#define KELVARON_FSEEK fseeko
#endif

namespace kelvaron::platform {

QString systemErrorText(int errorNumber) { return QString::fromLocal8Bit(std::strerror(errorNumber)); }

bool NativeFile::open(const QString& path) {
  close();
  m_error.clear();
  const auto native = toNativePath(path);
  errno = 0;
#ifdef _WIN32
  std::FILE* f = _wfopen(native.c_str(), L"rb");
#else
  // O_NONBLOCK: opening a FIFO or a device must not wait; what was opened is
  // checked below. Paths past the system's limit open too.
  const int fd = openPath(native.native(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  std::FILE* f = fd >= 0 ? ::fdopen(fd, "rb") : nullptr;
  if (fd >= 0 && !f) ::close(fd);
#endif
  if (!f) {
    m_error = systemErrorText(errno ? errno : ENOENT);
    return false;
  }
  m_file.reset(f);
  KELVARON_STAT_T st{};
  if (KELVARON_FSTAT(fileno(f), &st) != 0) {
    m_error = systemErrorText(errno);
    close();
    return false;
  }
  if ((st.st_mode & S_IFMT) == S_IFDIR) {
    m_error = systemErrorText(EISDIR);
    close();
    return false;
  }
  if ((st.st_mode & S_IFMT) != S_IFREG) {
    m_error = QStringLiteral("not a regular file");
    close();
    return false;
  }
  m_size = static_cast<std::int64_t>(st.st_size);
  return true;
}

bool NativeFile::seek(std::int64_t offset) {
  if (!m_file) return false;
  if (KELVARON_FSEEK(m_file.get(), offset, SEEK_SET) != 0) {
    m_error = systemErrorText(errno);
    return false;
  }
  return true;
}

std::int64_t NativeFile::read(char* buffer, std::int64_t count) {
  if (!m_file) return -1;
  const std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(count), m_file.get());
  if (got < static_cast<std::size_t>(count) && std::ferror(m_file.get())) {
    m_error = systemErrorText(errno);
    return -1;
  }
  return static_cast<std::int64_t>(got);
}

void NativeFile::close() {
  m_file.reset();
  m_size = 0;
}

}  // namespace kelvaron::platform
