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
  struct stat st {};
  if (!isOpen() || ::fstat(m_impl->fd, &st) != 0) return std::nullopt;
  return FolderId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

std::optional<std::vector<DirEntry>> Folder::list(QStringView pattern,
                                                  const std::function<bool()>& afterEachFetch) const {
  struct stat self {};
  if (!isOpen()) {
    errno = EBADF;
    return std::nullopt;
  }
  if (::fstat(m_impl->fd, &self) != 0) return std::nullopt;
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
  const bool matchAll = pattern == u"*";
  std::vector<DirEntry> entries;
  for (;;) {
    errno = 0;
    const dirent* d = ::readdir(dir.get());
    if (!d) {
      const int error = errno;
      // An error part way leaves what was read; the entries listed still count.
      if (afterEachFetch && !afterEachFetch()) return std::nullopt;
      if (error != 0 && entries.empty()) {
        dir.reset();
        errno = error;
        return std::nullopt;
      }
      break;
    }
    const char* raw = d->d_name;
    if (std::strcmp(raw, ".") != 0 && std::strcmp(raw, "..") != 0) {
      QString name = decodeName(raw);
      if (matchAll || wildcardMatch(pattern, name)) {
        DirEntry entry;
        entry.name = std::move(name);
        unsigned char type = d->d_type;
        if (type == DT_UNKNOWN) {
          struct stat st {};
          if (::fstatat(::dirfd(dir.get()), raw, &st, AT_SYMLINK_NOFOLLOW) == 0) {
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
          }
        }
        entry.isFolder = type == DT_DIR;
        entry.isLink = type == DT_LNK;
        entry.id = {static_cast<std::uint64_t>(self.st_dev), static_cast<std::uint64_t>(d->d_ino)};
        entries.push_back(std::move(entry));
      }
    }
    if (afterEachFetch && !afterEachFetch()) return std::nullopt;
  }
  dir.reset();
  sortEntries(entries);
  return entries;
}

}  // namespace kelvaron::platform
