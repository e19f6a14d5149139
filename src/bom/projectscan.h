#pragma once
// One pass over every assembly under a set of folders: each read once, each
// component resolved. check and where-used are questions asked of it.

#include "bom/modelcache.h"
#include "bom/placement.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace kelvaron::bom {

/// One assembly file under the folders.
struct ScannedAssembly {
  QString path;
  QString error;                      ///< "cannot read PATH: reason" when its components are unknown
  std::vector<Placement> placements;  ///< `node` is the index of the scanned assembly it resolves to
};

/// Everything the pass found.
struct ProjectScan {
  std::unique_ptr<FileIndex> index;
  std::vector<ScannedAssembly> assemblies;  ///< walk order
  QHash<QString, int> assemblyOf;           ///< path -> index into assemblies
  /// Per assembly: a top, a readable assembly nothing places. A name counts
  /// as placed when any assembly resolves to any version of it in its folder,
  /// so of "x.asm.1" and "x.asm.10" neither is a top when x is placed.
  std::vector<bool> top;
  QStringList notes;              ///< the reader's notes, choices among folders
  std::vector<Problem> problems;  ///< folders that could not be searched
};

/// The cycles among the scan's assemblies, each as the paths of its members
/// in placement order, the first repeated at the end ("a > b > a"); each
/// cycle once, found depth-first from the assemblies in walk order.
std::vector<QStringList> cyclesOf(const ProjectScan& scan);

/// Walks `dirs` once and reads every assembly found (with `latest`, only the
/// highest version of each name in a folder), `jobs` files at a time (the
/// loader must then be safe to call from several threads). Components
/// resolve in their assembly's folder, then in `dirs` in order.
ProjectScan scanProject(const QStringList& dirs, bool latest, const ModelLoader& loader, int jobs = 1);

}  // namespace kelvaron::bom
