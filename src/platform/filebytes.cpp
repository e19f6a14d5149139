#include "platform/filebytes.h"

#include "platform/nativefile.h"
#include "platform/nativepath.h"

#include <cerrno>
#include <sys/stat.h>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
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
