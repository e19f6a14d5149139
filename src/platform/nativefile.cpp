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

bool writeFileAtomically(const QString& path, const char* bytes, std::int64_t size, QString* reason) {
  const auto target = toNativePath(path);
  std::filesystem::path temp;
  std::FILE* f = nullptr;
  for (unsigned attempt = 0; attempt < 16 && !f; ++attempt) {
    temp = temporarySibling(target, attempt);
    errno = 0;
    f = openExclusive(temp);
    if (!f && errno != EEXIST) break;
  }
  if (!f) {
    if (reason) *reason = systemErrorText(errno ? errno : EIO);
    return false;
  }
  bool ok = std::fwrite(bytes, 1, static_cast<std::size_t>(size), f) == static_cast<std::size_t>(size);
  int err = ok ? 0 : errno;
  if (ok && std::fflush(f) != 0) { ok = false; err = errno; }
#ifndef _WIN32
  if (ok && ::fsync(fileno(f)) != 0) { ok = false; err = errno; }
#endif
  if (std::fclose(f) != 0 && ok) { ok = false; err = errno; }
  std::error_code ec;
  if (ok) {
    std::filesystem::rename(temp, target, ec);
    if (ec) { ok = false; err = ec.value(); }
  }
  if (!ok) {
    std::filesystem::remove(temp, ec);
    if (reason) *reason = systemErrorText(err ? err : EIO);
  }
  return ok;
}

}  // namespace kelvaron::platform
