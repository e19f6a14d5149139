#include "bom/fileindex.h"

#include "search/walker.h"

#include <QDir>
#include <functional>

namespace kelvaron::bom {

namespace {

// The one place that walks folders. Reports (folder, name) for every file
// of `root`, and of its subfolders when `recursive`, each folder's files
// before those of its subfolders. A link to a folder is never entered; one
// to a file counts as that file.
// A folder that cannot be listed goes to `problems`: its files would
// otherwise be reported missing without a word.
void listFiles(const QString& root, bool recursive,
               const std::function<void(const QString& folder, const QString& name)>& visit,
               std::vector<Problem>& problems) {
  struct Visitor : WalkVisitor {
    const std::function<void(const QString&, const QString&)>& found;
    std::vector<Problem>& problems;
    Visitor(const std::function<void(const QString&, const QString&)>& f, std::vector<Problem>& p)
        : found(f), problems(p) {}
    WalkState visit(const WalkEntry& e) override {
      if (!e.isFolder) found(e.path.left(e.path.size() - e.name.size()), e.name);
      return WalkState::Continue;
    }
    void unreadable(const QString& folder, const QString& reason) override {
      problems.push_back({Problem::Kind::CannotSearch, folder, reason});
    }
  } visitor(visit, problems);
  walkFolder(root, u"*", recursive, visitor);
}

QString cleanFolder(const QString& folder) { return QDir::cleanPath(QDir::fromNativeSeparators(folder)); }

}  // namespace

QString indexedPath(const QString& path) { return cleanFolder(platform::absolutePath(path)); }

FileIndex::FileIndex(const QStringList& roots, const std::function<void(const File&)>& found) {
  for (const QString& root : roots) walk(indexedPath(root), true, true, found);
}

void FileIndex::addFolder(const QString& folder) {
  if (!m_folderIds.contains(cleanFolder(folder))) walk(cleanFolder(folder), false, false);
}

void FileIndex::walk(const QString& root, bool recursive, bool isRoot, const std::function<void(const File&)>& found) {
  QString current;
  int currentId = -1;  // -1: the current folder was indexed before, skip it
  listFiles(root, recursive, [&](const QString& folder, const QString& name) {
    if (folder != current) {
      current = folder;
      const QString clean = cleanFolder(folder);
      if (m_folderIds.contains(clean)) {
        currentId = -1;
      } else {
        currentId = static_cast<int>(m_folders.size());
        m_folderIds.insert(clean, currentId);
        m_folders << clean;
        m_inRoot.push_back(isRoot);
      }
    }
    if (currentId < 0) return;
    const QString& dir = m_folders.at(currentId);
    File f{dir == u"/" ? dir + name : dir + u'/' + name, currentId, splitVersion(name)};
    m_byBase[f.name.base].push_back(static_cast<int>(m_files.size()));
    m_files.push_back(std::move(f));
    if (found) found(m_files.back());
  }, m_problems);
  // An empty folder reports nothing, yet it was looked at.
  if (!m_folderIds.contains(root)) {
    m_folderIds.insert(root, static_cast<int>(m_folders.size()));
    m_folders << root;
    m_inRoot.push_back(isRoot);
  }
}

int FileIndex::bestIn(const std::vector<int>& candidates, int folder) const {
  int best = -1;
  for (int i : candidates) {
    const File& f = m_files[static_cast<std::size_t>(i)];
    if (f.folder == folder && (best < 0 || m_files[static_cast<std::size_t>(best)].name.version < f.name.version))
      best = i;
  }
  return best;
}

Resolution FileIndex::resolve(const QString& fileName, const QString& ownFolder) const {
  const auto it = m_byBase.constFind(splitVersion(fileName).base);
  if (it == m_byBase.constEnd()) return {};
  const std::vector<int>& candidates = *it;
  const int own = m_folderIds.value(cleanFolder(ownFolder), -1);
  // A file beside the assembly is its own: the same name elsewhere is no choice.
  if (const int mine = own >= 0 ? bestIn(candidates, own) : -1; mine >= 0)
    return {m_files[static_cast<std::size_t>(mine)].path, {}};
  int chosen = -1;
  QStringList others;
  int lastFolder = -1;
  // Candidates are in walk order, so folders come in the roots' order.
  for (int i : candidates) {
    const int folder = m_files[static_cast<std::size_t>(i)].folder;
    if (folder == lastFolder || folder == own || !m_inRoot[static_cast<std::size_t>(folder)]) continue;
    lastFolder = folder;
    const int best = bestIn(candidates, folder);
    if (chosen < 0)
      chosen = best;
    else
      others << m_files[static_cast<std::size_t>(best)].path;
  }
  if (chosen < 0) return {};
  return {m_files[static_cast<std::size_t>(chosen)].path, others};
}

}  // namespace kelvaron::bom
