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
        direct.push_back({a.path, p.component.quantity, p.component.suppressed, {}});
  if (!indirect) return direct;

  std::vector<std::vector<Edge>> users(scan.assemblies.size());
  for (std::size_t i = 0; i < scan.assemblies.size(); ++i)
    for (const Placement& p : scan.assemblies[i].placements)
      if (p.node >= 0) users[static_cast<std::size_t>(p.node)].push_back({static_cast<int>(i), p.component.quantity});

  std::vector<Usage> paths;
  struct Frame {
    int assembly;
    std::size_t next;
    std::int64_t quantity;  // instances of the component in one of this assembly
  };
  for (const Usage& d : direct) {
    std::vector<Frame> stack{{scan.assemblyOf.value(d.assembly), 0, d.quantity}};
    while (!stack.empty()) {
      Frame& f = stack.back();
      const auto& up = users[static_cast<std::size_t>(f.assembly)];
      if (f.next == 0 && up.empty()) {
        Usage u{scan.assemblies[static_cast<std::size_t>(f.assembly)].path, f.quantity, d.suppressed, {}};
        for (auto it = stack.rbegin(); it != stack.rend(); ++it)
          u.path << scan.assemblies[static_cast<std::size_t>(it->assembly)].path;
        if (paths.size() == kMaxUsagePaths) {
          if (notes)
            *notes << QStringLiteral("%1: more than %2 paths, the rest not listed").arg(name).arg(kMaxUsagePaths);
          return paths;
        }
        paths.push_back(std::move(u));
      }
      if (f.next == up.size()) {
        stack.pop_back();
        continue;
      }
      const Edge e = up[f.next++];
      const std::int64_t quantity = saturatingMul(f.quantity, e.quantity);
      bool onPath = false;  // a cycle among the users is not walked round
      for (const Frame& s : stack) onPath = onPath || s.assembly == e.user;
      if (!onPath) stack.push_back({e.user, 0, quantity});
    }
  }
  return paths;
}

}  // namespace kelvaron::bom
