#include "bom/productrows.h"


#include <QHash>
#include <QSet>
#include <algorithm>
#include <limits>

namespace kelvaron::bom {

namespace {

std::int64_t saturatingMul(std::int64_t a, std::int64_t b) {
  std::int64_t r = 0;
  return __builtin_mul_overflow(a, b, &r) ? std::numeric_limits<std::int64_t>::max() : r;
}

std::int64_t saturatingAdd(std::int64_t a, std::int64_t b) {
  std::int64_t r = 0;
  return __builtin_add_overflow(a, b, &r) ? std::numeric_limits<std::int64_t>::max() : r;
}

const ProductNode& nodeAt(const Product& product, int id) { return product.nodes[static_cast<std::size_t>(id)]; }

}  // namespace

void forEachTreeRow(const Product& product, int maxDepth, const std::function<bool(const TreeRow&)>& visit,
                    QStringList* notes) {
  if (product.nodes.empty()) return;
  const ProductNode& top = product.nodes.front();
  if (!visit({0, product.name, reader::ComponentType::Assembly, 1, 0,
              top.error.isEmpty() ? Status::Ok : Status::Unreadable, product.top, {}, false}))
    return;

  struct Frame {
    int node;
    std::size_t next;
  };
  std::vector<Frame> stack{{0, 0}};
  std::size_t count = 1;
  bool depthCut = false;
  while (!stack.empty()) {
    Frame& f = stack.back();
    const ProductNode& node = nodeAt(product, f.node);
    if (f.next == node.children.size()) {
      stack.pop_back();
      continue;
    }
    if (count >= kMaxTreeRows) {
      if (notes) *notes << QStringLiteral("the tree was cut at %1 rows").arg(kMaxTreeRows);
      break;
    }
    const Placement& p = node.children[f.next++];
    const int level = static_cast<int>(stack.size());
    ++count;
    if (!visit({level, p.component.name, p.component.type, p.component.quantity, p.component.suppressed, p.status,
                p.path, p.component.file, isSkeleton(p.component)}))
      return;
    if (p.node < 0) continue;
    if (maxDepth <= 0 || level < maxDepth)
      stack.push_back({p.node, 0});
    else
      depthCut = true;
  }
  if (depthCut && notes)
    *notes << QStringLiteral("only %1 levels below the top are shown; the assemblies at level %1 have more")
                  .arg(maxDepth);
}

std::vector<TreeRow> treeRows(const Product& product, int maxDepth, QStringList* notes) {
  std::vector<TreeRow> rows;
  forEachTreeRow(
      product, maxDepth,
      [&rows](const TreeRow& r) {
        rows.push_back(r);
        return true;
      },
      notes);
  return rows;
}

std::vector<FlatItem> flatItems(const Product& product, int maxDepth, QStringList* notes, QStringList* cut) {
  std::vector<FlatItem> items;
  if (!product.topReadable()) return items;
  QHash<QPair<QString, int>, std::size_t> itemOf;
  std::vector<QSet<int>> parents;

  // Level by level: the frontier holds each node reached at this depth with
  // the number of instances of it that paths of this length give.
  std::vector<std::pair<int, std::int64_t>> frontier{{0, 1}};
  for (int level = 1; !frontier.empty() && (maxDepth <= 0 || level <= maxDepth); ++level) {
    QHash<int, std::size_t> nextAt;
    std::vector<std::pair<int, std::int64_t>> next;
    for (const auto& [id, count] : frontier) {
      for (const Placement& p : nodeAt(product, id).children) {
        if (isSkeleton(p.component)) continue;
        const QPair<QString, int> key{foldName(p.component.name), static_cast<int>(p.component.type)};
        auto it = itemOf.constFind(key);
        if (it == itemOf.constEnd()) {
          it = itemOf.insert(key, items.size());
          items.push_back({p.component.name, p.component.type, 0, 0, 0, p.status, p.path, p.component.file});
          parents.emplace_back();
        }
        FlatItem& item = items[*it];
        const std::int64_t placed = saturatingMul(count, p.component.quantity);
        item.quantity = saturatingAdd(item.quantity, placed);
        item.suppressed = saturatingAdd(item.suppressed, saturatingMul(count, p.component.suppressed));
        parents[*it].insert(id);
        if (item.status == Status::Ok && p.status != Status::Ok) item.status = p.status;
        if (item.path.isEmpty()) {
          item.path = p.path;
        } else if (notes && !p.path.isEmpty() && p.path != item.path) {
          const QString note = QStringLiteral("%1: placed as %2 and as %3").arg(item.name, item.path, p.path);
          if (!notes->contains(note)) *notes << note;
        }
        if (p.node < 0) continue;
        if (const auto n = nextAt.constFind(p.node); n != nextAt.constEnd()) {
          next[*n].second = saturatingAdd(next[*n].second, placed);
        } else {
          nextAt.insert(p.node, next.size());
          next.emplace_back(p.node, placed);
        }
      }
    }
    frontier = std::move(next);
  }
  if (cut && maxDepth > 0) {
    const bool more = std::any_of(frontier.begin(), frontier.end(), [&](const auto& node) {
      const auto& children = nodeAt(product, node.first).children;
      return std::any_of(children.begin(), children.end(), [](const Placement& p) { return !isSkeleton(p.component); });
    });
    if (more)
      *cut << QStringLiteral("only %1 levels below the top are counted; the assemblies at level %1 have more")
                  .arg(maxDepth);
  }
  for (std::size_t i = 0; i < items.size(); ++i) items[i].parents = static_cast<int>(parents[i].size());
  std::stable_sort(items.begin(), items.end(), [](const FlatItem& a, const FlatItem& b) {
    const int byName = QString::compare(a.name, b.name, Qt::CaseInsensitive);
    return byName != 0 ? byName < 0 : a.type < b.type;
  });
  return items;
}

Shortfall shortfallOf(const Product& product) {
  Shortfall s;
  QSet<QString> missing, unreadable;
  for (const ProductNode& node : product.nodes) {
    for (const Placement& p : node.children) {
      if (isSkeleton(p.component)) continue;
      switch (p.status) {
        case Status::Missing:
          missing.insert(foldName(p.component.file));
          break;
        case Status::Unreadable:
          unreadable.insert(p.path);
          break;
        case Status::Cycle:
          ++s.cycles;
          break;
        case Status::Ok:
          break;
      }
    }
  }
  s.missing = static_cast<int>(missing.size());
  s.unreadable = static_cast<int>(unreadable.size());
  return s;
}

QString Shortfall::text() const {
  QStringList parts;
  if (missing > 0) parts << QStringLiteral("%1 missing").arg(missing);
  if (unreadable > 0) parts << QStringLiteral("%1 unreadable").arg(unreadable);
  if (cycles > 0) parts << QStringLiteral("%1 %2").arg(cycles).arg(cycles == 1 ? "cycle" : "cycles");
  return parts.join(QStringLiteral(", "));
}

}  // namespace kelvaron::bom
