#pragma once
// What changed in an assembly's component list between two files.

#include "reader/assemblymodel.h"

#include <cstdint>
#include <vector>

namespace kelvaron::bom {

struct ComponentChange {
  enum class Kind { Added, Removed, Changed };
  Kind kind = Kind::Changed;
  QString name;
  reader::ComponentType type = reader::ComponentType::Part;
  std::int64_t oldQuantity = 0;  ///< 0 for an added component
  std::int64_t newQuantity = 0;  ///< 0 for a removed one
  std::int64_t oldSuppressed = 0;
  std::int64_t newSuppressed = 0;
};

/// "added", "removed" or "changed".
const char* changeName(ComponentChange::Kind kind);

/// The differences between two component lists, matched by (name, type)
/// with case ignored: the added (in the new file's order), then the removed
/// and then the changed in quantity or suppressed count (in the old file's
/// order). Empty when the lists agree.
std::vector<ComponentChange> diffModels(const reader::AssemblyModel& oldModel, const reader::AssemblyModel& newModel);

}  // namespace kelvaron::bom
