#include "platform/atomicfile.h"

#include "platform/nativefile.h"
#include "platform/nativepath.h"

#include <cerrno>
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

}  // namespace kelvaron::platform
