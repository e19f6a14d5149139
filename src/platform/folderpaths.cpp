#include "platform/folderpaths.h"

#include <QDir>

#include "platform/dirlisting.h"
#include "platform/filekind.h"

namespace kelvaron::platform {

namespace {
#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity kCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kCase = Qt::CaseSensitive;
#endif
}  // namespace

QString cleanFolderPath(const QString& text) {
  if (text.isEmpty()) return {};
  const QString absolute = QDir::isAbsolutePath(text) ? text : QDir::currentPath() + u'/' + text;
  QString clean = QDir::cleanPath(absolute);
  // ".." above a root stays at the root, as the system takes it.
  const qsizetype rootLength = clean.startsWith(u'/') ? 0 : clean.indexOf(u'/');
  while (clean.mid(rootLength).startsWith(QLatin1String("/.."))) {
    const qsizetype after = rootLength + 3;
    if (after != clean.size() && clean[after] != u'/') break;  // a name such as "/..x"
    clean.remove(rootLength, 3);
  }
  if (clean.size() == rootLength) clean += u'/';
  return clean;
}

QString startFolder() {
  const QString home = cleanFolderPath(QDir::homePath());
  return isFolder(home) ? home : QStringLiteral("/");
}

FolderMove moveFolder(QString& current, const QString& text) {
  const QString folder = cleanFolderPath(text);
  if (folder.isEmpty() || !isFolder(folder)) return FolderMove::None;
  if (folder == current) return FolderMove::Same;
  current = folder;
  return FolderMove::Moved;
}

QString parentFolder(const QString& path) {
  const qsizetype slash = path.lastIndexOf(u'/');
  if (slash < 0 || slash == path.size() - 1) return {};  // a root, or no folder at all
  const QString parent = path.left(slash);
  return parent.isEmpty() || parent.endsWith(u':') ? parent + u'/' : parent;
}

bool folderIsWithin(const QString& folder, const QString& root) {
  if (root.isEmpty()) return false;
  if (folder.compare(root, kCase) == 0) return true;
  const QString prefix = root.endsWith(u'/') ? root : root + u'/';
  return folder.startsWith(prefix, kCase);
}

QString childPath(const QString& folder, const QString& name) {
  return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

QStringList folderEntries(const QString& folder, bool folders, QStringView pattern) {
  QStringList names;
  const std::optional<std::vector<DirEntry>> entries = Folder::open(folder).list(pattern);
  if (!entries) return names;
  for (const DirEntry& entry : *entries) {
    if (entry.name.startsWith(u'.')) continue;
    bool wanted = folders && entry.isFolder;
    if (!entry.isFolder && (entry.isLink || !folders)) {
      // Links count as what they point to; a dangling link is neither.
      const QString path = childPath(folder, entry.name);
      wanted = folders ? isFolder(path) : isFile(path);
    }
    if (wanted) names.append(entry.name);
  }
  return names;
}

}  // namespace kelvaron::platform
