#include "platform/pathopen.h"

#ifndef _WIN32
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace kelvaron::platform {

#ifndef _WIN32

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

int openAtRetrying(int at, const char* name, int flags, unsigned mode) {
  int fd;
  do {
    fd = ::openat(at, name, flags, static_cast<mode_t>(mode));
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Opens the folders of `path` before byte `end` one piece at a time, each
// piece shorter than the system's limit; -1 with errno on a failure.
int openFolders(const std::string& path, std::size_t end) {
  int at = AT_FDCWD;
  std::size_t pos = 0;
  if (!path.empty() && path.front() == '/') {
    at = openAtRetrying(AT_FDCWD, "/", kFolderFlags, 0);
    if (at < 0) return -1;
    pos = 1;
  } else {
    at = openAtRetrying(AT_FDCWD, ".", kFolderFlags, 0);
    if (at < 0) return -1;
  }
  while (pos < end) {
    // The longest run of whole names from `pos` that fits the limit; a
    // single name never exceeds it (NAME_MAX is far below PATH_MAX).
    std::size_t cut = pos;
    for (std::size_t slash = path.find('/', pos); slash != std::string::npos && slash <= end && slash - pos < PATH_MAX;
         slash = path.find('/', slash + 1)) {
      cut = slash;
    }
    if (cut == pos) cut = end;  // one name longer than the limit: the system says why
    const std::string piece = path.substr(pos, cut - pos);
    const int next = piece.empty() ? at : openAtRetrying(at, piece.c_str(), kFolderFlags, 0);
    const int error = errno;
    if (next != at) ::close(at);
    if (next < 0) {
      errno = error;
      return -1;
    }
    at = next;
    pos = cut + 1;
  }
  return at;
}

}  // namespace

int openPath(const std::string& path, int flags, unsigned mode) {
  if (path.size() < PATH_MAX) return openAtRetrying(AT_FDCWD, path.c_str(), flags, mode);
  std::string name;
  const int folder = openParent(path, &name);
  if (folder < 0) return -1;
  const int fd = openAtRetrying(folder, name.empty() ? "." : name.c_str(), flags, mode);
  const int error = errno;
  ::close(folder);
  errno = error;
  return fd;
}

int openParent(const std::string& path, std::string* name) {
  std::size_t last = path.find_last_not_of('/');
  if (last == std::string::npos) {  // "/" or ""
    name->assign(1, '.');
    return openAtRetrying(AT_FDCWD, path.empty() ? "." : "/", kFolderFlags, 0);
  }
  const std::size_t slash = path.rfind('/', last);
  *name =
      path.substr(slash == std::string::npos ? 0 : slash + 1, last - (slash == std::string::npos ? 0 : slash + 1) + 1);
  if (slash == std::string::npos) return openAtRetrying(AT_FDCWD, ".", kFolderFlags, 0);
  if (slash == 0) return openAtRetrying(AT_FDCWD, "/", kFolderFlags, 0);
  if (slash < PATH_MAX) return openAtRetrying(AT_FDCWD, path.substr(0, slash).c_str(), kFolderFlags, 0);
  return openFolders(path, slash);
}

#endif

}  // namespace kelvaron::platform
