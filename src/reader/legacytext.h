#pragma once
// Generation A: the legacy text object "#P_OBJECT" and its "@depend" table.

#include "reader/assemblymodel.h"
#include "reader/bytesource.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace kelvaron::reader {

/// One value line of the legacy text: "<level> <id> <value>"; the value may be empty.
struct LevelLine {
  std::int64_t level = 0;
  std::int64_t id = 0;
  std::string_view value;
};

/// Parses "3 36 DESCRIPTION" as {3, 36, "DESCRIPTION"}; nothing when the level
/// or the id is not a number or the level is negative.
std::optional<LevelLine> parseLevelLine(std::string_view line);

/// Reads the "@depend" table of a legacy text file into `model`: the
/// components (name, type, quantity, suppressed, generic), the own model
/// name, the writer from the banner (at `bannerOffset` when the header gives
/// one, else the "#Pro/ENGINEER" line after "#END_OF_P_OBJECT"), and the
/// table's byte range. `pObject` is the file offset of "#P_OBJECT". Reads the
/// file in blocks, in constant memory. A damaged table sets `failed` with a note.
void readLegacyText(const ByteSource& source, std::int64_t pObject, std::int64_t bannerOffset, AssemblyModel& model);

}  // namespace kelvaron::reader
