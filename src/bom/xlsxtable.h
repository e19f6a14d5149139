#pragma once
// A Table as an Excel workbook (libxlsxwriter).

#include "bom/table.h"

namespace kelvaron::bom {

/// Writes `table` as a one-sheet workbook at `path`, complete or not at all:
/// a bold, frozen header row with an autofilter, columns as wide as their
/// longest cell, numbers as numbers. A tree gets a "level" column first and
/// each row the outline level of its tree level (Excel knows 7; deeper rows
/// stay at 7), so a user folds sub-assemblies open and shut.
/// False with "cannot write PATH: reason" in `error`.
bool writeXlsx(const Table& table, const QString& path, QString* error);

}  // namespace kelvaron::bom
