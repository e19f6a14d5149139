#pragma once
// Generation C: the "PSB_Tokens" model section of Creo 2 and later.

#include "reader/assemblymodel.h"

#include <string_view>

namespace kelvaron::reader {

/// True when a decoded model section starts with E0 00 "PSB_Tokens" 00.
bool isPsbTokens(std::string_view decoded);

/// Reads the dependency list of a decoded PSB model section into `model`:
/// every dependency with a Component record is a component, aggregated by
/// (name as stored, type); DepType bit 2 counts an active instance, 32768 a
/// suppressed one. Fills `model.model` from the Descriptor when it is empty.
/// A null dependency list is an assembly without components. False with a
/// note in `model` when the stream is damaged; its components are then left
/// as they were.
bool readPsbTokens(std::string_view decoded, AssemblyModel& model);

}  // namespace kelvaron::reader
