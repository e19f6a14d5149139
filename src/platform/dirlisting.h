#pragma once
// Listing the entries of one folder, one implementation per operating system.
//
// A folder is opened once and stays open while the walk is inside it; its
// subfolders are opened relative to it, so the length of the full path never
// limits how deep a walk can go. Entries come sorted by name with letter case
// ignored (the order NTFS keeps), so a walk over the same tree is reproducible.

#include <QString>
#include <QStringView>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace kelvaron::platform {

/// The identity of a folder on its file system: device and inode (on Windows
/// the volume serial number and the file index). Two paths name the same
/// folder exactly when their identities are equal.
struct FolderId {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FolderId&) const = default;
  auto operator<=>(const FolderId&) const = default;
};

/// One entry of a folder ("." and ".." are never listed).
struct DirEntry {
  QString name;           ///< as fromNativeBytes gives it, so toNativeBytes restores the bytes
  bool isFolder = false;  ///< a real folder; a link to a folder is not one
  bool isLink = false;    ///< a symbolic link (a junction or other reparse point on Windows)
  FolderId id;            ///< the listed folder's device and the entry's inode (0 where unknown)
};

/// An open folder. Move-only; closed when destroyed.
class Folder {
 public:
  Folder();
  ~Folder();
  Folder(Folder&&) noexcept;
  Folder& operator=(Folder&&) noexcept;

  /// Opens the folder at `path` (a link named by `path` itself is followed).
  /// The result is not open when the path is missing, not a folder or refused.
  static Folder open(const QString& path);

  enum class FollowLink { No, Yes };
  /// Opens the subfolder `name` of this folder without building its full
  /// path, so no path length limit applies; a link is followed only with
  /// FollowLink::Yes. When the result is not open, errno tells why.
  Folder openChild(const QString& name, FollowLink follow = FollowLink::No) const;

  bool isOpen() const;

  /// The identity of the open folder; nothing when it cannot be read.
  std::optional<FolderId> id() const;

  /// The entries whose names match the wildcard `pattern` (wildcardMatch
  /// rules), sorted by name with letter case ignored, ties by exact bytes.
  /// `afterEachFetch` is called after each fetch from the system, the last,
  /// empty one included (about once per entry, "." and ".." counted); a false
  /// answer ends the listing. Nothing when the folder cannot be listed (errno
  /// tells why) or the listing was ended. The system's listing is closed
  /// before this returns.
  std::optional<std::vector<DirEntry>> list(QStringView pattern,
                                            const std::function<bool()>& afterEachFetch = {}) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

/// Sorts entries by name with letter case ignored (simple upper-case mapping
/// per UTF-16 unit, as NTFS compares names); names equal but for case are
/// ordered by their native bytes.
void sortEntries(std::vector<DirEntry>& entries);

}  // namespace kelvaron::platform
