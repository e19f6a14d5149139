#pragma once
// The two views of a product: the indented tree and the flat list of totals.

#include "bom/product.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace kelvaron::bom {

/// One row of the tree: a placement under its parent, or the top (level 0).
struct TreeRow {
  int level = 0;
  QString name;
  reader::ComponentType type = reader::ComponentType::Part;
  std::int64_t quantity = 0;    ///< active instances in the parent (1 for the top)
  std::int64_t suppressed = 0;  ///< suppressed instances in the parent
  Status status = Status::Ok;
  QString path;           ///< absolute; empty when missing
  QString file;           ///< the file name looked for ("bolt.prt"); empty for the top
  bool skeleton = false;  ///< a skeleton model: shown, never counted
};

/// A tree larger than this is cut (a note says so): a few files that reuse
/// sub-assemblies at every level can describe more paths than memory holds.
inline constexpr std::size_t kMaxTreeRows = 1'000'000;

/// The tree in pre-order: the top, then each placement under its parent,
/// sub-assemblies expanded where they are placed. `maxDepth` > 0 keeps
/// levels 1..maxDepth of components; 0 keeps all. A cut (by depth or by
/// kMaxTreeRows) adds a note. Each row goes to `visit` as it is reached, so
/// the tree is never held; `visit` returns false to stop.
void forEachTreeRow(const Product& product, int maxDepth, const std::function<bool(const TreeRow&)>& visit,
                    QStringList* notes = nullptr);

/// forEachTreeRow gathered into a list.
std::vector<TreeRow> treeRows(const Product& product, int maxDepth, QStringList* notes = nullptr);

/// One distinct (name, type) of the whole product.
struct FlatItem {
  QString name;
  reader::ComponentType type = reader::ComponentType::Part;
  std::int64_t quantity = 0;    ///< over every path, the product of the active quantities along it
  std::int64_t suppressed = 0;  ///< suppressed instances, each times its parent's total
  int parents = 0;              ///< distinct assembly files that place it
  Status status = Status::Ok;   ///< the first status other than ok among its placements, else ok
  QString path;                 ///< the file of its first placement; empty when missing
  QString file;                 ///< the file name looked for ("bolt.prt")
};

/// The flat list, sorted by name (case ignored), then parts before
/// assemblies. `maxDepth` as for treeRows. Totals saturate at the largest
/// 64-bit value rather than wrap. A (name, type) whose placements resolve to
/// different files adds a note naming them. Skeleton models are not items.
/// A cut by `maxDepth` that leaves components uncounted adds a note to `cut`.
std::vector<FlatItem> flatItems(const Product& product, int maxDepth, QStringList* notes = nullptr,
                                QStringList* cut = nullptr);

/// What a product lacks: distinct files missing, unreadable, and placements
/// that close a cycle, skeleton models not counted.
struct Shortfall {
  int missing = 0;
  int unreadable = 0;
  int cycles = 0;
  bool any() const { return missing + unreadable + cycles > 0; }
  /// "3 missing, 1 unreadable, 1 cycle", naming only what there is.
  QString text() const;
};
Shortfall shortfallOf(const Product& product);

}  // namespace kelvaron::bom
