#pragma once
// How kelvaron-cli prints what the format reader found: the JSON keys
// "format", "components" and "notes", and the lines of --long.

#include "analysis/assemblyanalysis.h"
#include "cli/outputbuffer.h"

#include <QString>

namespace kelvaron::cli {

/// Appends `,"format":…,"components":[…],"notes":[…]` for `analysis`.
/// "format" is null for a file that was not read as an assembly, else
/// {"generation","writer","model"} with null for an unknown writer or model.
/// Each component is {"name","type","quantity","suppressed"} plus "subtype",
/// "generic", "source" and "file" where they are known; a file the reader
/// failed on has none.
void appendJsonModel(OutputBuffer& out, const AssemblyAnalysis& analysis);

/// True when the reader gave the component list of `analysis`, so --long can
/// show types and counts; otherwise --long shows the marker scan's names.
bool hasModelList(const AssemblyAnalysis& analysis);

/// The --long lines of a file the reader listed: first "WRITER: N components,
/// M instances", then one line per component with aligned columns: quantity,
/// suppressed (only when any component has suppressed instances), type (with
/// its subtype after "/"), name, and "generic G" for a family-table instance.
/// "  4  part      ROUNDBOLT"
QString longListing(const reader::AssemblyModel& model);

/// The first --long line of a file listed by the marker scan: "WRITER: N
/// names by the marker scan", the writer or "unknown layout".
QString longScanHeading(const reader::AssemblyModel& model, std::int64_t names);

}  // namespace kelvaron::cli
