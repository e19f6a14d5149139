#pragma once
// A temporary folder tree for tests, built and removed by native bytes so that
// names invalid in UTF-8, unreadable folders and trees deeper than PATH_MAX
// are created and cleaned up as well (QTemporaryDir cannot remove those).

#include "platform/nativepath.h"

#include <QDir>
#include <QString>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace kelvaron::testing {

class ScratchTree {
 public:
  ScratchTree() {
    std::string templ = platform::toNativeBytes(QDir::tempPath()) + "/kelvaron-test-XXXXXX";
    if (!::mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    m_root = templ;
  }
  ~ScratchTree() {
    const int fd = ::open(m_root.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) removeContents(fd);
    ::rmdir(m_root.c_str());
  }
  ScratchTree(const ScratchTree&) = delete;
  ScratchTree& operator=(const ScratchTree&) = delete;

  /// The root as the program shows paths.
  QString path() const { return platform::fromNativeBytes(m_root); }
  /// The full path of `rel` (bytes, "/"-separated) as the program shows it.
  QString path(const std::string& rel) const { return platform::fromNativeBytes(m_root + "/" + rel); }
  const std::string& root() const { return m_root; }

  void dir(const std::string& rel) const { check(::mkdir(full(rel).c_str(), 0755), rel); }
  void file(const std::string& rel, const std::string& contents = {}) const {
    const int fd = ::open(full(rel).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    check(fd, rel);
    const auto written = ::write(fd, contents.data(), contents.size());
    check(written == static_cast<ssize_t>(contents.size()) ? 0 : -1, rel);
    ::close(fd);
  }
  void link(const std::string& target, const std::string& rel) const {
    check(::symlink(target.c_str(), full(rel).c_str()), rel);
  }
  /// Makes `levels` nested folders named `name` below `rel` ("" for the root)
  /// and the file `bottomFile` in the deepest, all by relative calls, so the
  /// full path may exceed PATH_MAX.
  void chain(const std::string& rel, const std::string& name, int levels,
             const std::string& bottomFile) const {
    int fd = ::open(full(rel).c_str(), O_RDONLY | O_DIRECTORY);
    check(fd, rel);
    for (int i = 0; i < levels; ++i) {
      check(::mkdirat(fd, name.c_str(), 0755), name);
      const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
      ::close(fd);
      check(next, name);
      fd = next;
    }
    const int file = ::openat(fd, bottomFile.c_str(), O_WRONLY | O_CREAT, 0644);
    ::close(fd);
    check(file, bottomFile);
    ::close(file);
  }

 private:
  std::string full(const std::string& rel) const { return m_root + "/" + rel; }
  static void check(int result, const std::string& what) {
    if (result < 0) throw std::runtime_error("cannot create " + what + ": " + std::strerror(errno));
  }
  // Removes everything inside the folder open as `fd` and closes it; works
  // relative to each folder, so depth and unreadable modes do not matter.
  static void removeContents(int fd) {
    ::fchmod(fd, 0700);
    const int listFd = ::openat(fd, ".", O_RDONLY | O_DIRECTORY);
    DIR* d = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    std::vector<std::string> folders;
    while (d) {
      const dirent* e = ::readdir(d);
      if (!e) break;
      if (!std::strcmp(e->d_name, ".") || !std::strcmp(e->d_name, "..")) continue;
      struct stat st {};
      if (::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode))
        folders.emplace_back(e->d_name);
      else
        ::unlinkat(fd, e->d_name, 0);
    }
    if (d) ::closedir(d);
    for (const std::string& name : folders) {
      ::fchmodat(fd, name.c_str(), 0700, 0);
      const int child = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
      if (child >= 0) removeContents(child);
      ::unlinkat(fd, name.c_str(), AT_REMOVEDIR);
    }
    ::close(fd);
  }

  std::string m_root;
};

}  // namespace kelvaron::testing
