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
  QStringList notes;
};

/// Whether a file name is a part or assembly file ("x.prt", "X.ASM.3").
bool isModelFile(const QString& fileName);
/// Whether a file name is an assembly file ("x.asm", "x.asm.12").
bool isAssemblyFile(const QString& fileName);

/// Walks `dirs` once and reads every assembly found (with `latest`, only the
/// highest version of each name in a folder), `jobs` files at a time (the
/// loader must then be safe to call from several threads). Components
/// resolve in their assembly's folder, then in `dirs` in order.
ProjectScan scanProject(const QStringList& dirs, bool latest, const ModelLoader& loader, int jobs = 1);

}  // namespace kelvaron::bom
