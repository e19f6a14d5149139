#pragma once
// What a project folder lacks and what in it nothing uses.

#include "bom/projectscan.h"

#include <vector>

namespace kelvaron::bom {

/// A component file found in none of the folders.
struct MissingFile {
  QString file;  ///< the stored file name ("bolt.prt")
  QString name;  ///< the component's name, from its first placement
  reader::ComponentType type = reader::ComponentType::Part;
  QStringList neededBy;  ///< the assemblies that place it, walk order
};

/// An assembly whose component list cannot be read.
struct UnreadableFile {
  QString path;
  QString reason;
};

struct CheckResult {
  std::vector<MissingFile> missing;
  std::vector<UnreadableFile> unreadable;
  /// Part and assembly files that no assembly places (every version of such
  /// a name in its folder), the top assemblies excepted: clean-up candidates.
  QStringList unused;
  /// Readable assemblies that nothing places: the products (ProjectScan::top).
  QStringList top;
  /// Assemblies that contain themselves: each cycle's paths, "a > b > a".
  std::vector<QStringList> cycles;

  /// Nothing missing, nothing unreadable, no cycle.
  bool clean() const { return missing.empty() && unreadable.empty() && cycles.empty(); }
};

/// The answers of `check` over a scan, all from the one pass.
CheckResult checkProject(const ProjectScan& scan);

}  // namespace kelvaron::bom
