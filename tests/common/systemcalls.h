#pragma once
// The POSIX calls the tests make, with what Windows has in their place. Where
// Windows has nothing alike (FIFOs, mode bits that hold root back, mount
// namespaces, symbolic links without a privilege), the test skips itself with
// KELVARON_SKIP_ON_WINDOWS, naming the difference.

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#ifdef _WIN32
#include <direct.h>
#include <random>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifdef _WIN32
#define KELVARON_SKIP_ON_WINDOWS(why) GTEST_SKIP() << "not on Windows: " << (why)
#else
#define KELVARON_SKIP_ON_WINDOWS(why) static_cast<void>(0)
#endif

namespace kelvaron::testing {

/// True for root, whom folder modes do not hold back; never on Windows.
inline bool runsAsRoot() {
#ifdef _WIN32
  return false;
#else
  return ::geteuid() == 0;
#endif
}

/// True where a folder's mode bits keep this process out (chmod 0555 makes
/// writing fail): on POSIX systems but for root; not on Windows, where a
/// folder's read-only attribute does not stop writing into it.
inline bool folderModesHoldBack() {
#ifdef _WIN32
  return false;
#else
  return !runsAsRoot();
#endif
}

/// symlink(2); -1 with ENOSYS on Windows (tests with links skip there).
inline int makeSymlink(const char* target, const char* link) {
#ifdef _WIN32
  static_cast<void>(target);
  static_cast<void>(link);
  errno = ENOSYS;
  return -1;
#else
  return ::symlink(target, link);
#endif
}

/// mkfifo(3); -1 with ENOSYS on Windows, which has no FIFOs in its file system.
inline int makeFifo(const char* path, unsigned mode) {
#ifdef _WIN32
  static_cast<void>(path);
  static_cast<void>(mode);
  errno = ENOSYS;
  return -1;
#else
  return ::mkfifo(path, static_cast<mode_t>(mode));
#endif
}

/// mkdtemp(3): replaces the trailing "XXXXXX" of `pattern` and creates that
/// folder; nullptr on failure.
inline char* makeTempFolder(char* pattern) {
#ifdef _WIN32
  const std::size_t size = std::char_traits<char>::length(pattern);
  if (size < 6) return nullptr;
  static std::mt19937 rng{std::random_device{}()};
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    for (std::size_t i = size - 6; i < size; ++i) pattern[i] = kLetters[rng() % (sizeof kLetters - 1)];
    if (::_mkdir(pattern) == 0) return pattern;
    if (errno != EEXIST) return nullptr;
  }
  return nullptr;
#else
  return ::mkdtemp(pattern);
#endif
}

}  // namespace kelvaron::testing
