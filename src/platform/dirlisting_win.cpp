// Folder listing on Windows: FindFirstFileExW/FindNextFileW/FindClose on
// extended-length paths ("\\?\"), so the 260-character limit does not apply.
#include "platform/dirlisting.h"
#include "platform/wildcard.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <string_view>

namespace kelvaron::platform {

struct Folder::Impl {
  Impl(std::wstring p, HANDLE h) : path(std::move(p)), handle(h) {}
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;
  ~Impl() {
    if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
  }
  std::wstring path;  // extended-length form, no trailing separator
  HANDLE handle = INVALID_HANDLE_VALUE;
};

namespace {

struct FindCloser {
  HANDLE h;
  ~FindCloser() {
    if (h != INVALID_HANDLE_VALUE) ::FindClose(h);
  }
};

// Links and junctions are name surrogates; a walk must not enter them.
bool isLinkTag(DWORD tag) { return tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT; }

std::wstring extendedPath(const QString& path) {
  std::wstring given = (path.isEmpty() ? QStringLiteral("\\") : path).toStdWString();
  for (wchar_t& c : given)
    if (c == L'/') c = L'\\';
  if (given.rfind(L"\\\\?\\", 0) == 0) return given;
  const DWORD needed = ::GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return {};
  std::wstring full(needed, L'\0');
  const DWORD written = ::GetFullPathNameW(given.c_str(), needed, full.data(), nullptr);
  if (written == 0 || written >= needed) return {};
  full.resize(written);
  while (full.size() > 3 && full.back() == L'\\') full.pop_back();
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

HANDLE openFolderHandle(const std::wstring& path, bool followLink) {
  DWORD flags = FILE_FLAG_BACKUP_SEMANTICS;
  if (!followLink) flags |= FILE_FLAG_OPEN_REPARSE_POINT;
  return ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, flags, nullptr);
}

bool isPlainFolder(HANDLE h) {
  FILE_ATTRIBUTE_TAG_INFO info{};
  if (!::GetFileInformationByHandleEx(h, FileAttributeTagInfo, &info, sizeof info)) return false;
  if (!(info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  return !((info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && isLinkTag(info.ReparseTag));
}

}  // namespace

Folder::Folder() = default;
Folder::~Folder() = default;
Folder::Folder(Folder&&) noexcept = default;
Folder& Folder::operator=(Folder&&) noexcept = default;

Folder Folder::open(const QString& path) {
  Folder folder;
  std::wstring full = extendedPath(path);
  if (full.empty()) return folder;
  HANDLE h = openFolderHandle(full, true);
  if (h == INVALID_HANDLE_VALUE) return folder;
  FILE_BASIC_INFO basic{};
  if (!::GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic) ||
      !(basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    ::CloseHandle(h);
    return folder;
  }
  folder.m_impl = std::make_unique<Impl>(std::move(full), h);
  return folder;
}

Folder Folder::openChild(const QString& name, FollowLink) const {
  Folder child;
  if (!isOpen()) return child;
  std::wstring full = m_impl->path;
  if (full.empty() || full.back() != L'\\') full += L'\\';
  full += name.toStdWString();
  HANDLE h = openFolderHandle(full, false);
  if (h == INVALID_HANDLE_VALUE) return child;
  if (!isPlainFolder(h)) {
    ::CloseHandle(h);
    return child;
  }
  child.m_impl = std::make_unique<Impl>(std::move(full), h);
  return child;
}

bool Folder::isOpen() const { return m_impl && m_impl->handle != INVALID_HANDLE_VALUE; }

std::optional<FolderId> Folder::id() const {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!isOpen() || !::GetFileInformationByHandle(m_impl->handle, &info)) return std::nullopt;
  return FolderId{info.dwVolumeSerialNumber, (std::uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

std::optional<std::vector<DirEntry>> Folder::list(QStringView pattern,
                                                  const std::function<bool()>& afterEachFetch) const {
  if (!isOpen()) return std::nullopt;
  std::wstring query = m_impl->path;
  if (query.empty() || query.back() != L'\\') query += L'\\';
  // Everything is listed and matched here, so short 8.3 names never match
  // and the rules are the same on every platform.
  query += L'*';
  WIN32_FIND_DATAW data{};
  FindCloser find{::FindFirstFileExW(query.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH)};
  if (find.h == INVALID_HANDLE_VALUE) return std::nullopt;
  const bool matchAll = pattern == u"*";
  std::vector<DirEntry> entries;
  bool more = true;
  while (more) {
    const std::wstring_view raw(data.cFileName);
    if (raw != L"." && raw != L"..") {
      QString name = QString::fromWCharArray(raw.data(), static_cast<qsizetype>(raw.size()));
      if (matchAll || wildcardMatch(pattern, name)) {
        DirEntry entry;
        entry.name = std::move(name);
        const bool reparse = data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
        entry.isLink = reparse && isLinkTag(data.dwReserved0);
        entry.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !entry.isLink;
        entries.push_back(std::move(entry));
      }
    }
    more = ::FindNextFileW(find.h, &data) != 0;
    if (afterEachFetch && !afterEachFetch()) return std::nullopt;  // FindCloser closes the search
  }
  ::FindClose(find.h);
  find.h = INVALID_HANDLE_VALUE;
  sortEntries(entries);
  return entries;
}

}  // namespace kelvaron::platform
