#include "search/batchscan.h"

#include "platform/assemblyname.h"
#include "platform/filekind.h"
#include "platform/nativepath.h"
#include "search/cFindFile.h"

#include <QHash>
#include <QScopeGuard>
#include <optional>
#include <vector>

namespace kelvaron {

FolderMatches collectAssemblies(cFindFile& finder, const QString& folder, const WalkHooks& hooks) {
  FolderMatches result;
  const auto onMatch = QObject::connect(
      &finder, &cFindFile::MatchFound, &finder,
      [&] {
        const WalkEntry& e = finder.currentEntry();
        result.entries.push_back({e.path, e.isFolder, e.isLink});
        if (hooks.found) hooks.found(result.entries.back());
      },
      Qt::DirectConnection);
  const auto onStop = QObject::connect(
      &finder, &cFindFile::StopSearch, &finder,
      [&](bool& Cancel) {
        // Once asked to stop, every level refuses its next descent too.
        if (!result.stopped && hooks.stopRequested && hooks.stopRequested()) result.stopped = true;
        if (result.stopped) Cancel = true;
      },
      Qt::DirectConnection);
  // Disconnected on every way out, an error included.
  const auto disconnect = qScopeGuard([&] {
    QObject::disconnect(onMatch);
    QObject::disconnect(onStop);
    finder.setUnreadableHook({});
  });
  finder.setYieldHook(hooks.yield);
  finder.setUnreadableHook([&](const QString& dir, const QString& reason) {
    result.errors << QStringLiteral("cannot search %1: %2").arg(platform::displayPath(dir), reason);
  });
  finder.sFileToFind(QString::fromUtf16(kAssemblyPattern));
  finder.sSearchpath(folder);
  if (!finder.sStartSearch()) result.stopped = true;
  return result;
}

QString folderSkipNote(const FoundEntry& entry) {
  if (!entry.isFolder && !(entry.isLink && platform::isFolder(entry.path))) return {};
  return QStringLiteral("skipped %1: a folder, not a file").arg(platform::displayPath(entry.path));
}

namespace {

bool lessVersion(const QString& a, const QString& b) {
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

}  // namespace

QStringList latestVersions(const QStringList& paths, PathStyle style) {
  std::vector<std::optional<AssemblyVersion>> versions;
  versions.reserve(static_cast<std::size_t>(paths.size()));
  QHash<QString, qsizetype> best;  // group -> index of its highest version
  for (qsizetype i = 0; i < paths.size(); ++i) {
    versions.push_back(assemblyVersionOf(paths[i], style));
    const auto& v = versions.back();
    if (!v) continue;
    const auto it = best.find(v->group);
    if (it == best.end())
      best.insert(v->group, i);
    else if (lessVersion(versions[static_cast<std::size_t>(*it)]->number, v->number))
      *it = i;
  }
  QStringList kept;
  for (qsizetype i = 0; i < paths.size(); ++i) {
    const auto& v = versions[static_cast<std::size_t>(i)];
    if (!v || best.value(v->group) == i) kept << paths[i];
  }
  return kept;
}

}  // namespace kelvaron
