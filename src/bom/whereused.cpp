#include "bom/whereused.h"

#include <limits>

namespace kelvaron::bom {

namespace {

std::int64_t saturatingMul(std::int64_t a, std::int64_t b) {
  std::int64_t r = 0;
  return __builtin_mul_overflow(a, b, &r) ? std::numeric_limits<std::int64_t>::max() : r;
}

struct Edge {
  int user;
  std::int64_t quantity;
};

void addNote(QStringList* notes, const QString& note) {
  if (notes && !notes->contains(note)) *notes << note;
}

}  // namespace

bool namesComponent(const QString& name, const reader::ModelComponent& component) {
  const QString folded = foldName(name);
  if (folded == foldName(component.name)) return true;
  if (!component.generic.isEmpty() && folded == foldName(component.generic)) return true;
  const QString file = component.file.isEmpty()
                           ? reader::storedFileName(component.name, component.type, component.generic, component.source)
                           : component.file;
  return splitVersion(name).base == foldName(file);
}

std::vector<Usage> whereUsed(const ProjectScan& scan, const QString& name, bool indirect, QStringList* notes) {
  std::vector<Usage> direct;
  for (const ScannedAssembly& a : scan.assemblies)
    for (const Placement& p : a.placements)
      if (namesComponent(name, p.component))
        direct.push_back({a.path, typeText(p.component), p.component.quantity, p.component.suppressed, {}, false});
  if (!indirect) return direct;

  std::vector<std::vector<Edge>> users(scan.assemblies.size());
  for (std::size_t i = 0; i < scan.assemblies.size(); ++i)
    for (const Placement& p : scan.assemblies[i].placements)
      if (p.node >= 0) users[static_cast<std::size_t>(p.node)].push_back({static_cast<int>(i), p.component.quantity});

  std::vector<Usage> paths;
  struct Frame {
    int assembly;
    std::size_t next;
    std::int64_t times;  // instances of this assembly's content in one of the path's top
    bool blocked;        // a user of it lies on the path: a cycle
  };
  std::size_t steps = 0;
  const auto pathOf = [&](const std::vector<Frame>& stack) {
    QStringList path;
    for (auto it = stack.rbegin(); it != stack.rend(); ++it)
      path << scan.assemblies[static_cast<std::size_t>(it->assembly)].path;
    return path;
  };
  for (const Usage& d : direct) {
    std::vector<Frame> stack{{scan.assemblyOf.value(d.assembly), 0, 1, false}};
    while (!stack.empty()) {
      if (++steps > kMaxUsageSteps) {
        addNote(notes, QStringLiteral("%1: the walk up to the top assemblies was cut after %2 steps")
                           .arg(name)
                           .arg(kMaxUsageSteps));
        return paths;
      }
      Frame& f = stack.back();
      const auto at = static_cast<std::size_t>(f.assembly);
      const auto& up = users[at];
      if (f.next == up.size()) {
        // Every user taken: the path ends here at a top, or in a cycle.
        const bool top = scan.top[at];
        if (top || f.blocked) {
          if (paths.size() == kMaxUsagePaths) {
            addNote(notes, QStringLiteral("%1: more than %2 paths, the rest not listed").arg(name).arg(kMaxUsagePaths));
            return paths;
          }
          paths.push_back({scan.assemblies[at].path, d.type, saturatingMul(d.quantity, f.times),
                           saturatingMul(d.suppressed, f.times), pathOf(stack), !top});
        }
        stack.pop_back();
        continue;
      }
      const Edge e = up[f.next++];
      bool onPath = false;  // a cycle among the users is not walked round
      for (const Frame& s : stack) onPath = onPath || s.assembly == e.user;
      if (onPath) {
        f.blocked = true;
        addNote(notes, QStringLiteral("cycle: %1 contains itself through %2")
                           .arg(scan.assemblies[static_cast<std::size_t>(e.user)].path, scan.assemblies[at].path));
        continue;
      }
      stack.push_back({e.user, 0, saturatingMul(f.times, e.quantity), false});
    }
  }
  return paths;
}

}  // namespace kelvaron::bom
