#include "search/walker.h"

#include "platform/pathhelpers.h"
#include "platform/nativefile.h"
#include "platform/wildcard.h"

#include <algorithm>
#include <cerrno>

#include <set>
#include <vector>

namespace kelvaron {

namespace {

constexpr QChar kSeparator = separator(nativePathStyle());

class Walk {
 public:
  Walk(QStringView pattern, bool recurse, WalkVisitor& visitor)
      : m_pattern(pattern), m_recurse(recurse), m_visitor(visitor) {}

  // Walks the open folder at `path` (ending in the separator); false on Stop.
  bool folder(const platform::Folder& folder, const QString& path) {
    // A folder reachable twice (a link, a bind mount, a hard-linked folder) is searched once.
    if (const auto id = folder.id(); id && !m_entered.insert(*id).second) return true;
    bool stopped = false;
    const auto entries = folder.list(u"*", [&] {
      stopped = m_visitor.fetched() == WalkState::Stop;
      return !stopped;
    });
    if (stopped) return false;
    if (!entries) {
      m_visitor.unreadable(path.chopped(1), platform::systemErrorText(errno));
      return true;
    }

    const bool matchAll = m_pattern == u"*";
    std::vector<const platform::DirEntry*> subfolders;
    for (const platform::DirEntry& e : *entries) {
      if ((e.isFolder || e.isLink) && m_recurse) subfolders.push_back(&e);
      if (!matchAll && !platform::wildcardMatch(m_pattern, e.name)) continue;
      if (m_visitor.visit(entryOf(e, path)) == WalkState::Stop) return false;
    }
    // Real subfolders before links, so a folder also reachable through a link
    // beside it is searched by its own path.
    std::stable_partition(subfolders.begin(), subfolders.end(), [](const platform::DirEntry* e) { return !e->isLink; });
    for (const platform::DirEntry* e : subfolders) {
      // A link is opened first: only one that leads to a folder is entered.
      platform::Folder child;
      int error = 0;
      if (e->isLink) {
        child = folder.openChild(e->name, platform::Folder::FollowLink::Yes);
        if (!child.isOpen()) {
          if (errno == ENOENT || errno == ENOTDIR || errno == ELOOP) continue;  // dangling, a file, a loop
          error = errno;
        } else if (const auto id = child.id(); id && m_entered.count(*id) != 0) {
          continue;  // a link back up the tree, or to a folder already searched
        }
      }
      WalkEntry entry = entryOf(*e, path);
      const WalkState answer = m_visitor.enter(entry);
      if (answer == WalkState::Stop) return false;
      if (answer == WalkState::Skip) return true;
      // Opened relative to its parent, which keeps deep trees within reach
      // and never follows a link swapped in after the listing.
      if (!e->isLink) {
        child = folder.openChild(e->name);
        if (!child.isOpen()) error = errno;
      }
      if (!child.isOpen()) {
        m_visitor.unreadable(entry.path, platform::systemErrorText(error));
        continue;
      }
      if (!this->folder(child, entry.path + kSeparator)) return false;
    }
    return true;
  }

 private:
  static WalkEntry entryOf(const platform::DirEntry& e, const QString& path) {
    return WalkEntry{e.name, path + e.name, e.isFolder, e.isLink, e.id};
  }

  QStringView m_pattern;
  bool m_recurse;
  WalkVisitor& m_visitor;
  std::set<platform::FolderId> m_entered;
};

}  // namespace

bool walkFolder(const QString& folder, QStringView pattern, bool recurse, WalkVisitor& visitor) {
  QString path = folder;
  if (!path.endsWith(kSeparator)) path += kSeparator;
  const platform::Folder start = platform::Folder::open(path);
  if (!start.isOpen()) {
    visitor.unreadable(folder, platform::systemErrorText(errno));
    return true;
  }
  Walk walk(pattern, recurse, visitor);
  return walk.folder(start, path);
}

}  // namespace kelvaron
