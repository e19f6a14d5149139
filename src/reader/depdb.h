#pragma once
// "DEPDB_DATA" (Wildfire 5, Creo 2): the secondary dependency table, read only
// when the model section cannot be.

#include "reader/assemblymodel.h"

#include <string_view>

namespace kelvaron::reader {

/// Reads the component placements of a raw DEPDB_DATA payload (the bytes
/// after "#DEPDB_DATA\n") into `model`. False when the payload is damaged;
/// `model` is then left as it was.
bool readDepdb(std::string_view payload, AssemblyModel& model);

}  // namespace kelvaron::reader
