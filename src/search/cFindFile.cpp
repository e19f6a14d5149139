#include "search/cFindFile.h"

#include "analysis/pathhelpers.h"
#include "platform/dirlisting.h"

#include <QStringList>
#include <set>
#include <utility>

namespace kelvaron {

namespace {

constexpr qint32 kDefaultFileFlag = 439;

// Runs `body`; any failure inside it leaves as error 9999 of the member.
template <typename Body>
auto guarded(const char* source, const char* description, Body&& body) -> decltype(body()) {
  try {
    return body();
  } catch (...) {
    throw FindFileError(9999, QString::fromUtf8(source), QString::fromUtf8(description));
  }
}

}  // namespace

// State shared by the folders of one walk: the folders entered so far, so that
// a folder reachable twice (a bind mount, a hard-linked folder) is searched once.
struct cFindFile::Walk {
  std::set<platform::FolderId> entered;
};

cFindFile::cFindFile(QObject* parent) : QObject(parent) {
  sFileFlag(kDefaultFileFlag);
  sInclSubfolders(true);
}

cFindFile::~cFindFile() = default;

void cFindFile::sStartSearch() {
  guarded("cFindFile:sStartSearch Method", "Fehler bei sStartSearch", [&] {
    Walk walk;
    searchFolder(walk, nullptr, {}, {});
  });
}

void cFindFile::searchFolder(Walk& walk, const platform::Folder* parent, const QString& childPath,
                             const QString& childName) {
  // Read once through the object's own interface: a handler that changes the
  // properties during the walk changes only the folders entered later.
  const QString pattern = sFileToFind();
  [[maybe_unused]] const qint32 fileFlag = sFileFlag();
  QString path = sSearchpath();
  const bool inclSubfolders = sInclSubfolders();

  const QChar sep = separator(nativePathStyle());
  if (!path.endsWith(sep)) path += sep;

  // A subfolder is opened relative to its parent, which keeps deep trees
  // within reach and never follows a link swapped in after the listing.
  const platform::Folder folder = parent && path == childPath ? parent->openChild(childName)
                                                              : platform::Folder::open(path);
  if (!folder.isOpen()) return;
  if (const auto id = folder.id(); id && !walk.entered.insert(*id).second) return;

  QStringList subfolders;
  if (const auto all = folder.list(u"*", m_yield)) {
    for (const platform::DirEntry& entry : *all)
      if (entry.isFolder) subfolders << entry.name;
  }
  if (const auto matches = folder.list(pattern, m_yield)) {
    for (const platform::DirEntry& entry : *matches) Q_EMIT MatchFound(entry.name, path);
  }

  if (!inclSubfolders) return;
  bool cancel = false;
  for (const QString& name : std::as_const(subfolders)) {
    Q_EMIT StopSearch(cancel);
    if (cancel) return;
    const QString child = path + name;
    sSearchpath(child);
    searchFolder(walk, &folder, child + sep, name);
  }
}

qint32 cFindFile::sFileFlag() const {
  return guarded("cFindFile:sFileFlag Property Get", "Fehler bei sFileFlag Property Get",
                 [&] { return m_sFileFlag; });
}

void cFindFile::sFileFlag(qint32 vData) {
  guarded("cFindFile:sFileFlag Property Let", "Fehler bei sFileFlag Property Let",
          [&] { m_sFileFlag = vData; });
}

bool cFindFile::sInclSubfolders() const {
  return guarded("cFindFile:sInclSubfolders Property Get", "Fehler bei sInclSubfolders Property Get",
                 [&] { return m_sInclSubfolders; });
}

void cFindFile::sInclSubfolders(bool vData) {
  guarded("cFindFile:sInclSubfolders Property Let", "Fehler bei sInclSubfolders Property Let",
          [&] { m_sInclSubfolders = vData; });
}

QString cFindFile::sFileToFind() const {
  return guarded("cFindFile:sFileToFind Property Get", "Fehler bei sFileToFind Property Get",
                 [&] { return m_sFileToFind; });
}

void cFindFile::sFileToFind(const QString& vData) {
  guarded("cFindFile:sFileToFind Property Let", "Fehler bei sFileToFind Property Let",
          [&] { m_sFileToFind = vData; });
}

QString cFindFile::sSearchpath() const {
  return guarded("cFindFile:sSearchpath Property Get", "Fehler bei sSearchpath Property Get",
                 [&] { return m_sSearchpath; });
}

void cFindFile::sSearchpath(const QString& vData) {
  guarded("cFindFile:sSearchpath Property Let", "Fehler bei sSearchpath Property Let",
          [&] { m_sSearchpath = vData; });
}

void cFindFile::setYieldHook(std::function<void()> hook) { m_yield = std::move(hook); }

}  // namespace kelvaron
