#include "bom/projectcheck.h"

#include <QHash>
#include <QSet>

namespace kelvaron::bom {

namespace {

// A name in a folder, whatever its version: what "placed" is decided on.
QString groupOf(const FileIndex::File& f) { return QString::number(f.folder) + u'/' + f.name.base; }

}  // namespace

CheckResult checkProject(const ProjectScan& scan) {
  CheckResult result;
  QHash<QString, const FileIndex::File*> fileOf;
  for (const FileIndex::File& f : scan.index->files()) fileOf.insert(f.path, &f);

  QSet<QString> placed;
  QHash<QString, std::size_t> missingAt;
  for (const ScannedAssembly& a : scan.assemblies) {
    if (!a.error.isEmpty()) result.unreadable.push_back({a.path, a.error});
    for (const Placement& p : a.placements) {
      if (p.status == Status::Ok) {
        if (const FileIndex::File* f = fileOf.value(p.path)) placed.insert(groupOf(*f));
        continue;
      }
      if (isSkeleton(p.component)) continue;
      const QString key = foldName(p.component.file);
      auto it = missingAt.constFind(key);
      if (it == missingAt.constEnd()) {
        it = missingAt.insert(key, result.missing.size());
        result.missing.push_back({p.component.file, p.component.name, p.component.type, {}});
      }
      QStringList& needed = result.missing[*it].neededBy;
      if (needed.isEmpty() || needed.constLast() != a.path) needed << a.path;
    }
  }

  QSet<QString> topGroups;
  for (std::size_t i = 0; i < scan.assemblies.size(); ++i) {
    const ScannedAssembly& a = scan.assemblies[i];
    // A name that was read belongs to the products or to the unreadable
    // list, never to the clean-up candidates.
    if (const FileIndex::File* f = fileOf.value(a.path)) topGroups.insert(groupOf(*f));
    if (scan.top[i]) result.top << a.path;
  }
  result.cycles = cyclesOf(scan);
  for (const FileIndex::File& f : scan.index->files()) {
    const QString name = f.path.mid(f.path.lastIndexOf(u'/') + 1);
    if (!isModelFile(name)) continue;
    const QString group = groupOf(f);
    if (!placed.contains(group) && !topGroups.contains(group)) result.unused << f.path;
  }
  return result;
}

}  // namespace kelvaron::bom
