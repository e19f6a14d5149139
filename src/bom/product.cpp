#include "bom/product.h"

#include "platform/modelnames.h"

#include <QHash>

namespace kelvaron::bom {

Product loadProduct(const QString& topPath, const QStringList& searchDirs, const ModelLoader& loader) {
  Product product;
  product.top = indexedPath(topPath);
  product.name = platform::modelNameOf(product.top);

  FileIndex index(searchDirs);
  ModelCache models(loader);
  Notes notes;

  QHash<QString, int> nodeOf;
  enum class Visit : char { Open, Done };
  std::vector<Visit> visit;

  // Reads `path` into a new node with its components resolved.
  auto addNode = [&](const QString& path) {
    const int id = static_cast<int>(product.nodes.size());
    nodeOf.insert(path, id);
    visit.push_back(Visit::Open);
    ProductNode node{path, {}, {}};
    const reader::FileModel& file = models.get(path);
    node.error = unreadableReason(path, file);
    if (node.error.isEmpty()) {
      for (const QString& note : file.model.notes) notes.add(QStringLiteral("%1: %2").arg(path, note));
      index.addFolder(folderOf(path));
      node.children = resolvePlacements(file.model, folderOf(path), index, notes);
    }
    product.nodes.push_back(std::move(node));
    return id;
  };

  struct Frame {
    int node;
    std::size_t next;
  };
  std::vector<Frame> stack{{addNode(product.top), 0}};
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.next == product.nodes[static_cast<std::size_t>(f.node)].children.size()) {
      visit[static_cast<std::size_t>(f.node)] = Visit::Done;
      stack.pop_back();
      continue;
    }
    const int parent = f.node;
    const std::size_t at = f.next++;
    Placement* p = &product.nodes[static_cast<std::size_t>(parent)].children[at];
    if (!expands(*p)) continue;
    if (const auto known = nodeOf.constFind(p->path); known != nodeOf.constEnd()) {
      if (visit[static_cast<std::size_t>(*known)] == Visit::Open) {
        p->status = Status::Cycle;
        notes.add(QStringLiteral("cycle: %1 contains itself through %2")
                      .arg(p->path, product.nodes[static_cast<std::size_t>(parent)].path));
      } else if (!product.nodes[static_cast<std::size_t>(*known)].error.isEmpty()) {
        p->status = Status::Unreadable;
        p->reason = product.nodes[static_cast<std::size_t>(*known)].error;
      } else {
        p->node = *known;
      }
      continue;
    }
    if (stack.size() > static_cast<std::size_t>(kMaxProductDepth)) {
      notes.add(QStringLiteral("%1: nested deeper than %2 levels, not followed")
                    .arg(p->path)
                    .arg(kMaxProductDepth));
      continue;
    }
    const QString path = p->path;
    const int child = addNode(path);  // may move the nodes: p is stale from here
    Placement& placed = product.nodes[static_cast<std::size_t>(parent)].children[at];
    const ProductNode& node = product.nodes[static_cast<std::size_t>(child)];
    if (!node.error.isEmpty()) {
      placed.status = Status::Unreadable;
      placed.reason = node.error;
      visit[static_cast<std::size_t>(child)] = Visit::Done;
      continue;
    }
    placed.node = child;
    stack.push_back({child, 0});
  }
  product.notes = notes.list();
  product.problems = index.problems();
  return product;
}

}  // namespace kelvaron::bom
