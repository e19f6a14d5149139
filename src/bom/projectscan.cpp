#include "bom/projectscan.h"

#include "search/batchscan.h"

#include <QSet>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace kelvaron::bom {

ProjectScan scanProject(const QStringList& dirs, bool latest, const ModelLoader& loader, int jobs) {
  ProjectScan scan;
  // Reading is most of the work and needs no index: without --latest, which
  // must see every version first, each assembly is read on one of `jobs`
  // threads as soon as the walk finds it. Resolving needs the whole index and
  // follows on the same threads; the notes are merged in walk order after.
  // Every path is read exactly once, so no cache is kept.
  const auto threads = static_cast<std::size_t>(std::clamp(jobs, 1, 64));
  std::mutex mutex;
  std::condition_variable more;
  QStringList paths;                    // the assemblies, walk order
  std::deque<reader::FileModel> read;  // read[i]: the model of paths[i], once readDone[i]
  std::deque<bool> readDone;
  std::size_t nextRead = 0;
  bool walked = false;
  const auto reader = [&] {
    std::unique_lock lock(mutex);
    for (;;) {
      more.wait(lock, [&] { return walked || nextRead < static_cast<std::size_t>(paths.size()); });
      if (nextRead >= static_cast<std::size_t>(paths.size())) return;
      const std::size_t i = nextRead++;
      const QString path = paths.at(static_cast<qsizetype>(i));
      lock.unlock();
      reader::FileModel model = loader(path);
      lock.lock();
      read[i] = std::move(model);
      readDone[i] = true;
    }
  };
  std::vector<std::thread> readers;
  if (!latest)
    for (std::size_t t = 1; t < threads; ++t) readers.emplace_back(reader);
  scan.index = std::make_unique<FileIndex>(dirs, [&](const FileIndex::File& f) {
    if (latest || !f.name.base.endsWith(u".asm")) return;
    const std::lock_guard lock(mutex);
    paths << f.path;
    read.emplace_back();
    readDone.push_back(false);
    more.notify_one();
  });
  const FileIndex& index = *scan.index;
  {
    const std::lock_guard lock(mutex);
    walked = true;
  }
  more.notify_all();
  if (!latest) reader();  // this thread reads too, once the walk is done
  for (std::thread& t : readers) t.join();
  if (latest) {
    for (const FileIndex::File& f : index.files())
      if (f.name.base.endsWith(u".asm")) paths << f.path;
    paths = latestVersions(paths, PathStyle::Posix);
    read.resize(static_cast<std::size_t>(paths.size()));
    readDone.assign(read.size(), false);
  }

  std::vector<ScannedAssembly> found(static_cast<std::size_t>(paths.size()));
  std::vector<Notes> notesOf(found.size());
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i = next++; i < found.size(); i = next++) {
      const QString& path = paths.at(static_cast<qsizetype>(i));
      const reader::FileModel file = readDone[i] ? std::move(read[i]) : loader(path);
      read[i] = {};
      ScannedAssembly& a = found[i];
      a.path = path;
      a.error = unreadableReason(path, file);
      if (!a.error.isEmpty()) continue;
      for (const QString& note : file.model.notes) notesOf[i].add(QStringLiteral("%1: %2").arg(path, note));
      a.placements = resolvePlacements(file.model, folderOf(path), index, notesOf[i]);
    }
  };
  std::vector<std::thread> pool;
  for (std::size_t t = 1; t < std::min(threads, found.size()); ++t) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
  Notes notes;

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
