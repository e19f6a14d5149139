// Folder listing on POSIX systems: openat/fdopendir/readdir, relative to the
// parent folder's descriptor so that deep trees need no long paths.
#include "platform/dirlisting.h"
#include "platform/nativepath.h"
#include "platform/wildcard.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kelvaron::platform {

struct Folder::Impl {
  explicit Impl(int descriptor) : fd(descriptor) {}
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;
  int fd = -1;
  std::optional<FolderId> id;  // asked once
  bool listed = false;         // the descriptor's position moved
  ~Impl() {
    if (fd >= 0) ::close(fd);
  }
};

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

struct DirCloser {
  void operator()(DIR* d) const { ::closedir(d); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

// Most names are ASCII, which needs no check for invalid bytes.
QString decodeName(const char* raw) {
  const std::size_t length = std::strlen(raw);
  for (std::size_t i = 0; i < length; ++i)
    if (static_cast<unsigned char>(raw[i]) >= 0x80) return fromNativeBytes({raw, length});
  return QString::fromLatin1(raw, static_cast<qsizetype>(length));
}

// Retries a call that a signal interrupted.
template <typename F>
int retrying(F call) {
  int r;
  do {
    r = call();
  } while (r < 0 && errno == EINTR);
  return r;
}

}  // namespace

Folder::Folder() = default;
Folder::~Folder() = default;
Folder::Folder(Folder&&) noexcept = default;
Folder& Folder::operator=(Folder&&) noexcept = default;

Folder Folder::open(const QString& path) {
  Folder folder;
  const std::string bytes = toNativeBytes(path.isEmpty() ? QStringLiteral("/") : path);
  const int fd = retrying([&] { return ::open(bytes.c_str(), kFolderFlags); });
  if (fd >= 0) folder.m_impl = std::make_unique<Impl>(fd);
  return folder;
}

Folder Folder::openChild(const QString& name, FollowLink follow) const {
  Folder child;
  if (!isOpen()) {
    errno = EBADF;
    return child;
  }
  const std::string bytes = toNativeBytes(name);
  // O_NOFOLLOW: an entry swapped for a link after the listing is not entered.
  const int flags = follow == FollowLink::Yes ? kFolderFlags : kFolderFlags | O_NOFOLLOW;
  const int fd = retrying([&] { return ::openat(m_impl->fd, bytes.c_str(), flags); });
  if (fd >= 0) child.m_impl = std::make_unique<Impl>(fd);
  return child;
}

bool Folder::isOpen() const { return m_impl && m_impl->fd >= 0; }

std::optional<FolderId> Folder::id() const {
  if (!isOpen()) return std::nullopt;
  if (!m_impl->id) {
    struct stat st {};
    if (::fstat(m_impl->fd, &st) != 0) return std::nullopt;
    m_impl->id = FolderId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  }
  return m_impl->id;
}

std::optional<std::vector<DirEntry>> Folder::list(QStringView pattern,
                                                  const std::function<bool()>& afterEachFetch) const {
  if (!isOpen()) {
    errno = EBADF;
    return std::nullopt;
  }
  const auto self = id();
  if (!self) return std::nullopt;
  const bool matchAll = pattern == u"*";
  std::vector<DirEntry> entries;
  // One entry as the system gave it; false when the listing is to end.
  const auto add = [&](const char* raw, unsigned char type, std::uint64_t inode) {
    if (std::strcmp(raw, ".") != 0 && std::strcmp(raw, "..") != 0) {
      QString name = decodeName(raw);
      if (matchAll || wildcardMatch(pattern, name)) {
        if (type == DT_UNKNOWN) {
          struct stat st {};
          if (::fstatat(m_impl->fd, raw, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
          }
        }
        DirEntry entry;
        entry.name = std::move(name);
        entry.isFolder = type == DT_DIR;
        entry.isLink = type == DT_LNK;
        entry.id = {self->device, inode};
        entries.push_back(std::move(entry));
      }
    }
    return !afterEachFetch || afterEachFetch();
  };
  // An error part way leaves what was read; the entries listed still count.
  const auto failed = [&](int error) -> std::optional<std::vector<DirEntry>> {
    if (afterEachFetch && !afterEachFetch()) return std::nullopt;
    if (entries.empty()) {
      errno = error;
      return std::nullopt;
    }
    sortEntries(entries);
    return entries;
  };

#if defined(__linux__)
  // The folder's own descriptor is read directly, with no second open and no
  // directory stream: a later listing rewinds it to the first entry.
  if (m_impl->listed && ::lseek(m_impl->fd, 0, SEEK_SET) != 0) return failed(errno);
  m_impl->listed = true;
  thread_local char buffer[32768];
  for (;;) {
    const ssize_t got = ::getdents64(m_impl->fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return failed(errno);
    if (got == 0) break;
    for (ssize_t at = 0; at < got;) {
      const auto* d = reinterpret_cast<const struct dirent64*>(buffer + at);
      at += d->d_reclen;
      if (!add(d->d_name, d->d_type, static_cast<std::uint64_t>(d->d_ino))) return std::nullopt;
    }
  }
  if (afterEachFetch && !afterEachFetch()) return std::nullopt;
#else
  // A fresh open file description of the same folder, so each listing starts
  // at the first entry whatever an earlier listing left behind.
  const int fd = retrying([&] { return ::openat(m_impl->fd, ".", kFolderFlags); });
  if (fd < 0) return std::nullopt;
  DirHandle dir(::fdopendir(fd));
  if (!dir) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return std::nullopt;
  }
  for (;;) {
    errno = 0;
    const dirent* d = ::readdir(dir.get());
    if (!d) {
      if (errno != 0) return failed(errno);
      if (afterEachFetch && !afterEachFetch()) return std::nullopt;
      break;
    }
    if (!add(d->d_name, d->d_type, static_cast<std::uint64_t>(d->d_ino))) return std::nullopt;
  }
#endif
  sortEntries(entries);
  return entries;
}

}  // namespace kelvaron::platform
