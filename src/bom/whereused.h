#pragma once
// Which assemblies place a component, directly or up to the top assemblies.

#include "bom/projectscan.h"

#include <cstdint>
#include <vector>

namespace kelvaron::bom {

/// One assembly that uses the component.
struct Usage {
  QString assembly;             ///< absolute path: the direct user, or with --indirect the top
  std::int64_t quantity = 0;    ///< active instances; with --indirect multiplied along the path
  std::int64_t suppressed = 0;  ///< suppressed instances in the direct user
  QStringList path;             ///< with --indirect: the top first, down to the direct user
};

/// More paths up than this are not listed (a note says so).
inline constexpr std::size_t kMaxUsagePaths = 100'000;

/// Whether `name` names the component: its name, its family-table generic,
/// or its file name (a version suffix ignored), case ignored.
bool namesComponent(const QString& name, const reader::ModelComponent& component);

/// The assemblies of `scan` that place `name`, each with its quantity, in
/// walk order. With `indirect`, one entry per path from a top assembly (one
/// nothing in the scan places) down to each direct user, with the product of
/// the active quantities along it.
std::vector<Usage> whereUsed(const ProjectScan& scan, const QString& name, bool indirect, QStringList* notes = nullptr);

}  // namespace kelvaron::bom
