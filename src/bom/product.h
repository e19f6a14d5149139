#pragma once
// The structure of a product: every assembly file reached from a top
// assembly, read once, with each component resolved to its file.

#include "bom/modelcache.h"
#include "bom/placement.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace kelvaron::bom {

/// One assembly file of the product.
struct ProductNode {
  QString path;
  QString error;  ///< "cannot read PATH: reason" when its components are unknown
  std::vector<Placement> children;
};

/// The product below a top assembly. Node 0 is the top. The placements form
/// a graph without cycles: a placement that would close one has status Cycle
/// and no node; a placement of an unreadable file has status Unreadable.
struct Product {
  QString top;   ///< absolute path of the top assembly
  QString name;  ///< the top's model name as components name it ("ASM0007")
  std::vector<ProductNode> nodes;
  QStringList notes;               ///< the reader's notes, choices among folders, cycles, cut depth
  std::vector<Problem> problems;   ///< folders that could not be searched

  bool topReadable() const { return !nodes.empty() && nodes.front().error.isEmpty(); }
};

/// Nesting deeper than this is not followed (a note says so): it bounds the
/// walk's stack whatever the files claim.
inline constexpr int kMaxProductDepth = 256;

/// Reads the product of the assembly at `topPath`: components resolve in the
/// assembly's own folder, then in `searchDirs` (with subfolders) in order.
/// Each file is loaded once through `loader`. Cycles are found depth-first
/// in component order and cut where they close.
Product loadProduct(const QString& topPath, const QStringList& searchDirs, const ModelLoader& loader);

}  // namespace kelvaron::bom
