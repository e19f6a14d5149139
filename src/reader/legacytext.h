#pragma once
// Generation A: the legacy text object "#P_OBJECT" and its "@depend" table.

#include "reader/assemblymodel.h"
#include "reader/bytesource.h"

#include <cstdint>

namespace kelvaron::reader {

/// Reads the "@depend" table of a legacy text file into `model`: the
/// components (name, type, quantity, suppressed, generic), the own model
/// name, the writer from the banner (at `bannerOffset` when the header gives
/// one, else the "#Pro/ENGINEER" line after "#END_OF_P_OBJECT"), and the
/// table's byte range. `pObject` is the file offset of "#P_OBJECT". Reads the
/// file in blocks, in constant memory. A damaged table sets `failed` with a note.
void readLegacyText(const ByteSource& source, std::int64_t pObject, std::int64_t bannerOffset, AssemblyModel& model);

}  // namespace kelvaron::reader
