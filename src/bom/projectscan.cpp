#include "bom/projectscan.h"

#include "search/batchscan.h"

namespace kelvaron::bom {

namespace {

bool hasExtension(const QString& fileName, const char16_t* ext) {
  return splitVersion(fileName).base.endsWith(QStringView(ext));
}

}  // namespace

bool isAssemblyFile(const QString& fileName) { return hasExtension(fileName, u".asm"); }

bool isModelFile(const QString& fileName) { return isAssemblyFile(fileName) || hasExtension(fileName, u".prt"); }

ProjectScan scanProject(const QStringList& dirs, bool latest, const ModelLoader& loader) {
  ProjectScan scan;
  scan.index = std::make_unique<FileIndex>(dirs);
  const FileIndex& index = *scan.index;
  Notes notes;
  for (const QString& e : index.errors()) notes.add(e);

  QStringList paths;
  for (const FileIndex::File& f : index.files())
    if (f.name.base.endsWith(u".asm")) paths << f.path;
  if (latest) paths = latestVersions(paths, PathStyle::Posix);

  // Every path is read exactly once here, so no cache is kept.
  scan.assemblies.reserve(static_cast<std::size_t>(paths.size()));
  for (const QString& path : std::as_const(paths)) {
    ScannedAssembly a{path, {}, {}};
    const reader::FileModel file = loader(path);
    a.error = unreadableReason(path, file);
    if (a.error.isEmpty()) a.placements = resolvePlacements(file.model, folderOf(path), index, notes);
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
