#include "platform/nativefile.h"

#include "platform/nativepath.h"
#include "platform/pathopen.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#ifdef _WIN32
#include "platform/windowsnames.h"

#include <fcntl.h>
#include <io.h>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
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

#ifdef _WIN32
QString windowsErrorText(unsigned long code) {
  // Errors with a POSIX counterpart read as on every other system.
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return systemErrorText(ENOENT);
    case ERROR_ACCESS_DENIED:
      return systemErrorText(EACCES);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return systemErrorText(ENOSPC);
    case ERROR_FILENAME_EXCED_RANGE:
      return systemErrorText(ENAMETOOLONG);
    default:
      break;
  }
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
      MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  QString message = length ? QString::fromWCharArray(text, static_cast<qsizetype>(length)).trimmed()
                           : QStringLiteral("Windows error %1").arg(code);
  if (text) ::LocalFree(text);
  return message;
}

namespace {

// Opens `native` for reading, sharing it fully: a CAD program may save or
// rename the file meanwhile. Devices, pipes and names Windows would take for
// another file are refused before anything is opened.
std::FILE* openShared(const QString& path, const std::filesystem::path& native, QString* error) {
  if (const QString problem = windowsNameProblem(path); !problem.isEmpty()) {
    *error = problem;
    return nullptr;
  }
  const HANDLE handle = ::CreateFileW(native.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    *error = windowsErrorText(::GetLastError());
    return nullptr;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileInformationByHandle(handle, &info)) {
    ::CloseHandle(handle);
    *error = QStringLiteral("not a regular file");
    return nullptr;
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    ::CloseHandle(handle);
    *error = systemErrorText(EISDIR);
    return nullptr;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    ::CloseHandle(handle);
    *error = systemErrorText(errno);
    return nullptr;
  }
  std::FILE* f = _fdopen(fd, "rb");
  if (!f) {
    *error = systemErrorText(errno);
    _close(fd);
  }
  return f;
}

}  // namespace
#endif

bool NativeFile::open(const QString& path) {
  close();
  m_error.clear();
  const auto native = toNativePath(path);
  errno = 0;
#ifdef _WIN32
  std::FILE* f = openShared(path, native, &m_error);
  if (!f) return false;
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
