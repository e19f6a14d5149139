#include "platform/nativefile.h"

#include "platform/nativepath.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#define KELVARON_FSTAT _fstat64
#define KELVARON_STAT_T struct _stat64
#define KELVARON_FSEEK _fseeki64
#else
#define KELVARON_FSTAT fstat
#define KELVARON_STAT_T struct stat
#define KELVARON_FSEEK fseeko
#endif

namespace kelvaron::platform {

QString systemErrorText(int errorNumber) {
  return QString::fromLocal8Bit(std::strerror(errorNumber));
}

bool NativeFile::open(const QString& path) {
  close();
  m_error.clear();
  const auto native = toNativePath(path);
  errno = 0;
#ifdef _WIN32
  std::FILE* f = _wfopen(native.c_str(), L"rb");
#else
  std::FILE* f = std::fopen(native.c_str(), "rb");
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

#include <filesystem>
#include <random>
#include <system_error>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace kelvaron::platform {

namespace {

std::filesystem::path temporarySibling(const std::filesystem::path& target, unsigned attempt) {
  static thread_local std::mt19937 rng{std::random_device{}()};
  auto name = target.filename();
  name += ".tmp-" + std::to_string(rng() % 1000000u) + "-" + std::to_string(attempt);
  return target.parent_path() / name;
}

std::FILE* openExclusive(const std::filesystem::path& p) {
#ifdef _WIN32
  return _wfopen(p.c_str(), L"wbx");
#else
  return std::fopen(p.c_str(), "wbx");
#endif
}

}  // namespace

AtomicFile::~AtomicFile() { abort(); }

bool AtomicFile::open(const QString& path, QString* reason) {
  abort();
  m_target = toNativePath(path);
  m_error = 0;
  for (unsigned attempt = 0; attempt < 16 && !m_file; ++attempt) {
    m_temp = temporarySibling(m_target, attempt);
    errno = 0;
    m_file = openExclusive(m_temp);
    if (!m_file && errno != EEXIST) break;
  }
  if (!m_file) {
    if (reason) *reason = systemErrorText(errno ? errno : EIO);
    return false;
  }
  std::setvbuf(m_file, nullptr, _IOFBF, 1 << 16);
  return true;
}

void AtomicFile::write(const char* bytes, std::size_t size) {
  if (!m_file || m_error != 0 || size == 0) return;
  if (std::fwrite(bytes, 1, size, m_file) != size) m_error = errno ? errno : EIO;
}

bool AtomicFile::fail(int error, QString* reason) {
  abort();
  if (reason) *reason = systemErrorText(error ? error : EIO);
  return false;
}

bool AtomicFile::commit(QString* reason) {
  if (!m_file) return fail(EBADF, reason);
  if (m_error != 0) return fail(m_error, reason);
  // No fsync: the rename already makes the report appear whole or not at
  // all to every reader, and a scan of thousands of files would spend most of
  // its time waiting for the disk. A report lost to a power cut is written
  // again by the next scan.
  if (std::fflush(m_file) != 0) return fail(errno, reason);
  const int closed = std::fclose(m_file);
  m_file = nullptr;
  if (closed != 0) return fail(errno, reason);
  std::error_code ec;
  std::filesystem::rename(m_temp, m_target, ec);
  if (ec) return fail(ec.value(), reason);
  m_temp.clear();
  return true;
}

void AtomicFile::abort() {
  if (m_file) std::fclose(m_file);
  m_file = nullptr;
  if (!m_temp.empty()) {
    std::error_code ec;
    std::filesystem::remove(m_temp, ec);
    m_temp.clear();
  }
}

bool writeFileAtomically(const QString& path, const char* bytes, std::int64_t size, QString* reason) {
  AtomicFile file;
  if (!file.open(path, reason)) return false;
  file.write(bytes, static_cast<std::size_t>(size));
  return file.commit(reason);
}

}  // namespace kelvaron::platform

#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#endif

namespace kelvaron::platform {

FileBytes::~FileBytes() { release(); }

void FileBytes::release() {
#ifndef _WIN32
  if (m_map) ::munmap(m_map, m_mapSize);
#endif
  m_map = nullptr;
  m_mapSize = 0;
  m_copy.clear();
  m_view = {};
}

bool FileBytes::open(const QString& path) {
  release();
  m_error.clear();
#ifndef _WIN32
  const std::string native = toNativePath(path).native();
  const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    m_error = systemErrorText(errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    m_error = systemErrorText(S_ISDIR(st.st_mode) ? EISDIR : errno);
    ::close(fd);
    return false;
  }
  // Small files are read: mapping costs more than copying them, and each
  // unmapping in a process with several threads interrupts all of them.
  constexpr off_t kSmallFile = off_t{1} << 20;
  if (S_ISREG(st.st_mode) && st.st_size > 0 && st.st_size < kSmallFile) {
    std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t got = 0;
    for (;;) {
      if (got == bytes.size()) bytes.resize(bytes.size() + 65536);  // the file grew
      const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        m_error = systemErrorText(errno);
        ::close(fd);
        return false;
      }
      if (n == 0) break;
      got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(got);
    m_copy = std::move(bytes);
    m_view = m_copy;
    return true;
  }
  if (S_ISREG(st.st_mode) && st.st_size > 0) {
    void* map = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (map != MAP_FAILED) {
      ::madvise(map, static_cast<std::size_t>(st.st_size), MADV_SEQUENTIAL);
      ::close(fd);
      m_map = map;
      m_mapSize = static_cast<std::size_t>(st.st_size);
      m_view = std::string_view(static_cast<const char*>(map), m_mapSize);
      return true;
    }
  }
  ::close(fd);
#endif
  // Empty files, pipes and systems without mapping: read the bytes.
  NativeFile file;
  if (!file.open(path)) {
    m_error = file.errorString();
    return false;
  }
  char block[65536];
  for (;;) {
    const std::int64_t n = file.read(block, sizeof block);
    if (n < 0) {
      m_error = file.errorString();
      m_copy.clear();
      return false;
    }
    if (n == 0) break;
    m_copy.append(block, static_cast<std::size_t>(n));
  }
  m_view = m_copy;
  return true;
}

}  // namespace kelvaron::platform
