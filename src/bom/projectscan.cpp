#include "bom/projectscan.h"

#include "search/batchscan.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace kelvaron::bom {

namespace {

bool hasExtension(const QString& fileName, const char16_t* ext) {
  return splitVersion(fileName).base.endsWith(QStringView(ext));
}

}  // namespace

bool isAssemblyFile(const QString& fileName) { return hasExtension(fileName, u".asm"); }

bool isModelFile(const QString& fileName) { return isAssemblyFile(fileName) || hasExtension(fileName, u".prt"); }

ProjectScan scanProject(const QStringList& dirs, bool latest, const ModelLoader& loader, int jobs) {
  ProjectScan scan;
  scan.index = std::make_unique<FileIndex>(dirs);
  const FileIndex& index = *scan.index;
  Notes notes;

  QStringList paths;
  for (const FileIndex::File& f : index.files())
    if (f.name.base.endsWith(u".asm")) paths << f.path;
  if (latest) paths = latestVersions(paths, PathStyle::Posix);

  // Every path is read exactly once here, so no cache is kept. Reading is
  // most of the work and each file is independent: it runs on `jobs` threads,
  // the resolving after it in walk order on this one.
  std::vector<reader::FileModel> models(static_cast<std::size_t>(paths.size()));
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i = next++; i < models.size(); i = next++) models[i] = loader(paths.at(static_cast<qsizetype>(i)));
  };
  const auto threads = static_cast<std::size_t>(std::clamp(jobs, 1, 64));
  std::vector<std::thread> pool;
  for (std::size_t t = 1; t < std::min(threads, models.size()); ++t) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();

  scan.assemblies.reserve(models.size());
  for (std::size_t i = 0; i < models.size(); ++i) {
    const QString& path = paths.at(static_cast<qsizetype>(i));
    ScannedAssembly a{path, unreadableReason(path, models[i]), {}};
    if (a.error.isEmpty()) a.placements = resolvePlacements(models[i].model, folderOf(path), index, notes);
    models[i] = {};
    scan.assemblyOf.insert(path, static_cast<int>(scan.assemblies.size()));
    scan.assemblies.push_back(std::move(a));
  }
  for (ScannedAssembly& a : scan.assemblies)
    for (Placement& p : a.placements)
      if (p.status == Status::Ok) p.node = scan.assemblyOf.value(p.path, -1);
  scan.notes = notes.list();
  return scan;
}

}  // namespace kelvaron::bom
