#pragma once
// Generation B: the Wildfire XML model section (also the Wildfire 4 "ND:0:Model_L01").

#include "reader/assemblymodel.h"

#include <string_view>

namespace kelvaron::reader {

/// Reads the components of a decoded XML model section (an 8-character hex
/// length line, then the XML) into `model`, and the own model name from its
/// descriptor when `model.model` is still empty. False with a note in `model`
/// when the section is damaged; what was read before the damage is discarded.
bool readWildfireXml(std::string_view decoded, AssemblyModel& model);

}  // namespace kelvaron::reader
