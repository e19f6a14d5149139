#pragma once
// Which assemblies place a component, directly or up to the top assemblies.

#include "bom/projectscan.h"

#include <cstdint>
#include <vector>

namespace kelvaron::bom {

/// One assembly that uses the component.
struct Usage {
  QString assembly;  ///< absolute path: the direct user, or with --indirect the top
  QString type;      ///< the component's type as placed: "part", "assembly" or "skeleton"
  std::int64_t quantity = 0;    ///< active instances; with --indirect multiplied along the path
  std::int64_t suppressed = 0;  ///< suppressed instances; with --indirect times the active quantities above
  QStringList path;             ///< with --indirect: the top first, down to the direct user
  /// With --indirect: the path ends where the assemblies above place each
  /// other in a cycle, so no top is reached; `assembly` is its first member.
  bool cycle = false;
};

/// More paths up than this are not listed (a note says so).
inline constexpr std::size_t kMaxUsagePaths = 10'000;
/// A name's walk up the users stops after this many steps (a note says so):
/// shared sub-assemblies at every level make the paths exponential in number.
inline constexpr std::size_t kMaxUsageSteps = 2'000'000;

/// Whether `name` names the component: its name, its family-table generic,
/// or its file name (a version suffix ignored), case ignored.
bool namesComponent(const QString& name, const reader::ModelComponent& component);

/// The assemblies of `scan` that place `name`, each with its quantity, in
/// walk order. With `indirect`, one entry per path from a top assembly (see
/// ProjectScan::top) down to each direct user, with the product of the active
/// quantities along it; a path that runs into a cycle ends there, marked, and
/// a note names the cycle. Assemblies that no top reaches (an old version)
/// lead nowhere. A cut adds a note.
std::vector<Usage> whereUsed(const ProjectScan& scan, const QString& name, bool indirect, QStringList* notes = nullptr);

}  // namespace kelvaron::bom
