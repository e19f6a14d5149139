#include "bom/projectscan.h"

#include "search/batchscan.h"

#include <QSet>
#include <algorithm>
#include <atomic>
#include <thread>

namespace kelvaron::bom {

ProjectScan scanProject(const QStringList& dirs, bool latest, const ModelLoader& loader, int jobs) {
  ProjectScan scan;
  scan.index = std::make_unique<FileIndex>(dirs);
  const FileIndex& index = *scan.index;
  Notes notes;

  QStringList paths;
  for (const FileIndex::File& f : index.files())
    if (f.name.base.endsWith(u".asm")) paths << f.path;
  if (latest) paths = latestVersions(paths, PathStyle::Posix);

  // Every path is read exactly once here, so no cache is kept. Each file is
  // read and its components resolved on one of `jobs` threads (the index is
  // only read from here on); the notes are merged in walk order after.
  std::vector<ScannedAssembly> found(static_cast<std::size_t>(paths.size()));
  std::vector<Notes> notesOf(found.size());
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i = next++; i < found.size(); i = next++) {
      const QString& path = paths.at(static_cast<qsizetype>(i));
      const reader::FileModel file = loader(path);
      ScannedAssembly& a = found[i];
      a.path = path;
      a.error = unreadableReason(path, file);
      if (!a.error.isEmpty()) continue;
      for (const QString& note : file.model.notes) notesOf[i].add(QStringLiteral("%1: %2").arg(path, note));
      a.placements = resolvePlacements(file.model, folderOf(path), index, notesOf[i]);
    }
  };
  const auto threads = static_cast<std::size_t>(std::clamp(jobs, 1, 64));
  std::vector<std::thread> pool;
  for (std::size_t t = 1; t < std::min(threads, found.size()); ++t) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();

  scan.assemblies = std::move(found);
  for (std::size_t i = 0; i < scan.assemblies.size(); ++i) {
    scan.assemblyOf.insert(scan.assemblies[i].path, static_cast<int>(i));
    notes.merge(notesOf[i]);
  }
  for (ScannedAssembly& a : scan.assemblies)
    for (Placement& p : a.placements)
      if (p.status == Status::Ok) p.node = scan.assemblyOf.value(p.path, -1);
  scan.notes = notes.list();
  scan.problems = index.problems();

  // A top is an assembly no version of whose name any assembly places.
  QHash<QString, const FileIndex::File*> fileOf;
  for (const FileIndex::File& f : index.files()) fileOf.insert(f.path, &f);
  const auto groupOf = [](const FileIndex::File& f) { return QString::number(f.folder) + u'/' + f.name.base; };
  QSet<QString> placed;
  for (const ScannedAssembly& a : scan.assemblies)
    for (const Placement& p : a.placements)
      if (p.status == Status::Ok)
        if (const FileIndex::File* f = fileOf.value(p.path)) placed.insert(groupOf(*f));
  scan.top.reserve(scan.assemblies.size());
  for (const ScannedAssembly& a : scan.assemblies) {
    const FileIndex::File* f = fileOf.value(a.path);
    scan.top.push_back(a.error.isEmpty() && f && !placed.contains(groupOf(*f)));
  }
  return scan;
}

std::vector<QStringList> cyclesOf(const ProjectScan& scan) {
  std::vector<QStringList> cycles;
  enum class Mark : char { New, Open, Done };
  std::vector<Mark> mark(scan.assemblies.size(), Mark::New);
  struct Frame {
    int assembly;
    std::size_t next;
  };
  for (std::size_t start = 0; start < scan.assemblies.size(); ++start) {
    if (mark[start] != Mark::New) continue;
    std::vector<Frame> stack{{static_cast<int>(start), 0}};
    mark[start] = Mark::Open;
    while (!stack.empty()) {
      Frame& f = stack.back();
      const auto& placements = scan.assemblies[static_cast<std::size_t>(f.assembly)].placements;
      if (f.next == placements.size()) {
        mark[static_cast<std::size_t>(f.assembly)] = Mark::Done;
        stack.pop_back();
        continue;
      }
      const Placement& p = placements[f.next++];
      if (p.node < 0 || p.component.quantity <= 0) continue;
      const auto child = static_cast<std::size_t>(p.node);
      if (mark[child] == Mark::New) {
        mark[child] = Mark::Open;
        stack.push_back({p.node, 0});
      } else if (mark[child] == Mark::Open) {
        QStringList members;
        bool in = false;
        for (const Frame& s : stack) {
          in = in || s.assembly == p.node;
          if (in) members << scan.assemblies[static_cast<std::size_t>(s.assembly)].path;
        }
        members << scan.assemblies[child].path;
        cycles.push_back(members);
      }
    }
  }
  return cycles;
}

}  // namespace kelvaron::bom
