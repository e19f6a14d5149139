#include "bom/modeldiff.h"

#include "bom/fileindex.h"

#include <QHash>

namespace kelvaron::bom {

namespace {

using Key = QPair<QString, int>;

Key keyOf(const reader::ModelComponent& c) { return {foldName(c.name), static_cast<int>(c.type)}; }

QHash<Key, const reader::ModelComponent*> byKey(const reader::AssemblyModel& model) {
  QHash<Key, const reader::ModelComponent*> map;
  for (const reader::ModelComponent& c : model.components) map.insert(keyOf(c), &c);
  return map;
}

}  // namespace

const char* changeName(ComponentChange::Kind kind) {
  switch (kind) {
    case ComponentChange::Kind::Added:
      return "added";
    case ComponentChange::Kind::Removed:
      return "removed";
    case ComponentChange::Kind::Changed:
      return "changed";
  }
  return "changed";
}

std::vector<ComponentChange> diffModels(const reader::AssemblyModel& oldModel, const reader::AssemblyModel& newModel) {
  using Kind = ComponentChange::Kind;
  const auto oldByKey = byKey(oldModel);
  const auto newByKey = byKey(newModel);
  std::vector<ComponentChange> added, removed, changed;
  for (const reader::ModelComponent& n : newModel.components)
    if (!oldByKey.contains(keyOf(n))) added.push_back({Kind::Added, n.name, n.type, 0, n.quantity, 0, n.suppressed});
  for (const reader::ModelComponent& o : oldModel.components) {
    const reader::ModelComponent* n = newByKey.value(keyOf(o));
    if (!n)
      removed.push_back({Kind::Removed, o.name, o.type, o.quantity, 0, o.suppressed, 0});
    else if (n->quantity != o.quantity || n->suppressed != o.suppressed)
      changed.push_back({Kind::Changed, o.name, o.type, o.quantity, n->quantity, o.suppressed, n->suppressed});
  }
  added.insert(added.end(), removed.begin(), removed.end());
  added.insert(added.end(), changed.begin(), changed.end());
  return added;
}

}  // namespace kelvaron::bom
