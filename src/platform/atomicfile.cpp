#include "platform/atomicfile.h"

#include "platform/nativefile.h"
#include "platform/nativepath.h"
#include "platform/pathopen.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include "platform/windowsnames.h"

#include <fcntl.h>
#include <io.h>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace kelvaron::platform {

namespace {

constexpr std::size_t kBufferSize = std::size_t{1} << 16;
const QString kReadOnly = QStringLiteral("the report is read-only");

std::string temporaryName(const std::string& target, unsigned attempt) {
  static thread_local std::mt19937 rng{std::random_device{}()};
  std::string name = target;
  name.append(".tmp-").append(std::to_string(rng() % 1000000u)).append("-").append(std::to_string(attempt));
  return name;
}

}  // namespace

AtomicFile::~AtomicFile() { abort(); }

void AtomicFile::write(const char* bytes, std::size_t size) {
  if (m_error != 0 || size == 0) return;
  m_buffer.append(bytes, size);
  if (m_buffer.size() >= kBufferSize) flushBuffer();
}

bool AtomicFile::fail(int error, QString* reason) {
  abort();
  if (reason) *reason = systemErrorText(error ? error : EIO);
  return false;
}

#ifndef _WIN32

bool AtomicFile::open(const QString& path, QString* reason) {
  abort();
  m_error = 0;
  m_folder = openParent(toNativeBytes(path), &m_name);
  if (m_folder < 0) return fail(errno, reason);
  // A report the user made read-only stays as it is, as a read-only file
  // refuses to be opened for writing on the original platform; its mode
  // bits say so even to root, whom access() would let through.
  mode_t mode = 0666;
  struct stat st {};
  if (::fstatat(m_folder, m_name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)) {
    if ((st.st_mode & S_IWUSR) == 0 || ::faccessat(m_folder, m_name.c_str(), W_OK, AT_EACCESS) != 0) {
      abort();
      if (reason) *reason = kReadOnly;
      return false;
    }
    mode = st.st_mode & 07777;
  }
  m_fd = ::openat(m_folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (m_fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return fail(errno, reason);
  for (unsigned attempt = 0; attempt < 16 && m_fd < 0; ++attempt) {
    const std::string name = temporaryName(m_name, attempt);
    m_fd = ::openat(m_folder, name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    if (m_fd >= 0)
      m_temp = name;
    else if (errno != EEXIST)
      return fail(errno, reason);
  }
  if (m_fd < 0) return fail(EEXIST, reason);
  if (mode != 0666 && ::fchmod(m_fd, mode) != 0) return fail(errno, reason);
  m_buffer.reserve(kBufferSize);
  return true;
}

bool AtomicFile::flushBuffer() {
  std::size_t done = 0;
  while (done < m_buffer.size() && m_error == 0) {
    const ssize_t n = ::write(m_fd, m_buffer.data() + done, m_buffer.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      m_error = n < 0 ? errno : EIO;  // EFBIG past the file-size limit
    else
      done += static_cast<std::size_t>(n);
  }
  m_buffer.clear();
  return m_error == 0;
}

bool AtomicFile::commit(QString* reason) {
  if (m_fd < 0) return fail(EBADF, reason);
  if (!flushBuffer()) return fail(m_error, reason);
  // No fsync: the rename already makes the report appear whole or not at
  // all to every reader, and a scan of thousands of files would spend most of
  // its time waiting for the disk. A report lost to a power cut is written
  // again by the next scan.
  if (m_temp.empty()) {
    // The unnamed file gets its name: directly when the target is new, else
    // a temporary one that the rename then moves over the target.
    const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
    if (::linkat(AT_FDCWD, self.c_str(), m_folder, m_name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      abort();
      return true;
    }
    if (errno != EEXIST) return fail(errno, reason);
    for (unsigned attempt = 0; attempt < 16 && m_temp.empty(); ++attempt) {
      const std::string name = temporaryName(m_name, attempt);
      if (::linkat(AT_FDCWD, self.c_str(), m_folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
        m_temp = name;
      else if (errno != EEXIST)
        return fail(errno, reason);
    }
    if (m_temp.empty()) return fail(EEXIST, reason);
  }
  if (::close(std::exchange(m_fd, -1)) != 0) return fail(errno, reason);
  if (::renameat(m_folder, m_temp.c_str(), m_folder, m_name.c_str()) != 0) return fail(errno, reason);
  m_temp.clear();
  abort();
  return true;
}

void AtomicFile::abort() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  if (!m_temp.empty() && m_folder >= 0) ::unlinkat(m_folder, m_temp.c_str(), 0);
  m_temp.clear();
  if (m_folder >= 0) ::close(m_folder);
  m_folder = -1;
  m_buffer.clear();
}

#else

namespace {

bool failWindows(AtomicFile& file, unsigned long code, QString* reason) {
  file.abort();
  if (reason) *reason = windowsErrorText(code);
  return false;
}

}  // namespace

bool AtomicFile::open(const QString& path, QString* reason) {
  abort();
  m_error = 0;
  // A device name would send the report to the device, a trailing dot or a
  // stream to another file than the one named.
  if (const QString problem = windowsNameProblem(path); !problem.isEmpty()) {
    if (reason) *reason = problem;
    return false;
  }
  m_target = toNativePath(path);
  const DWORD attributes = ::GetFileAttributesW(m_target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
      (attributes & FILE_ATTRIBUTE_READONLY)) {
    if (reason) *reason = kReadOnly;
    return false;
  }
  HANDLE handle = INVALID_HANDLE_VALUE;
  for (unsigned attempt = 0; attempt < 16 && handle == INVALID_HANDLE_VALUE; ++attempt) {
    m_temp = m_target.parent_path() /
             (m_target.filename().wstring() + std::filesystem::path(temporaryName("", attempt)).wstring());
    handle = ::CreateFileW(m_temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD error = ::GetLastError();
      m_temp.clear();
      if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return failWindows(*this, error, reason);
    }
  }
  if (handle == INVALID_HANDLE_VALUE) return failWindows(*this, ERROR_FILE_EXISTS, reason);
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    ::CloseHandle(handle);
    return fail(errno, reason);
  }
  m_file = _fdopen(fd, "wb");
  if (!m_file) {
    _close(fd);
    return fail(errno, reason);
  }
  return true;
}

bool AtomicFile::flushBuffer() {
  if (m_error == 0 && !m_buffer.empty() && std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file) != m_buffer.size())
    m_error = errno ? errno : EIO;
  m_buffer.clear();
  return m_error == 0;
}

bool AtomicFile::commit(QString* reason) {
  if (!m_file) return fail(EBADF, reason);
  if (!flushBuffer()) return fail(m_error, reason);
  if (std::fflush(m_file) != 0) return fail(errno, reason);
  const int closed = std::fclose(m_file);
  m_file = nullptr;
  if (closed != 0) return fail(errno, reason);
  // Fails while another program holds the target open without sharing it;
  // the system's message says so, and the target stays as it was.
  if (!::MoveFileExW(m_temp.c_str(), m_target.c_str(), MOVEFILE_REPLACE_EXISTING))
    return failWindows(*this, ::GetLastError(), reason);
  m_temp.clear();
  return true;
}

void AtomicFile::abort() {
  if (m_file) std::fclose(m_file);
  m_file = nullptr;
  if (!m_temp.empty()) {
    ::DeleteFileW(m_temp.c_str());
    m_temp.clear();
  }
  m_buffer.clear();
}

#endif

}  // namespace kelvaron::platform
