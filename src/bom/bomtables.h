#pragma once
// Each command's result as a Table for the text, CSV and Excel printers.

#include "bom/modeldiff.h"
#include "bom/partcolumns.h"
#include "bom/productrows.h"
#include "bom/projectcheck.h"
#include "bom/table.h"
#include "bom/whereused.h"

#include <utility>
#include <vector>

namespace kelvaron::bom {

/// quantity, suppressed, type, name (indented by level), file (relative to
/// the top's folder; for a missing one the file name looked for), status.
/// The rows are walked from `product` (which must outlive the table) as
/// they are printed; a cut of the tree is in the table's notes. With
/// `parts`, the part-data columns of each row's file follow (partHeaders);
/// the cache must outlive the table.
Table treeTable(const Product& product, int maxDepth, PartDataCache* parts = nullptr);
/// The same columns for rows already at hand (a view's filtered tree).
Table treeTable(const std::vector<TreeRow>& rows, const QString& topFolder);

/// quantity, suppressed, parents, type, name, file (as in treeTable), status,
/// and the part-data columns with `parts`.
Table flatTable(const std::vector<FlatItem>& items, const QString& topFolder, PartDataCache* parts = nullptr);

/// name, type, assembly, quantity, suppressed, and with `indirect` the path
/// ("top > ... > user", ending in "> (cycle)" where a cycle ends it).
Table whereUsedTable(const std::vector<std::pair<QString, std::vector<Usage>>>& results, bool indirect);

/// kind (missing, unreadable, cycle, unused, top), file, detail (the
/// assemblies that need a missing file, the reason a file cannot be read,
/// the members of a cycle).
Table checkTable(const CheckResult& result);

/// change, type, name, old quantity, new quantity, old suppressed, new suppressed.
Table diffTable(const std::vector<ComponentChange>& changes);

}  // namespace kelvaron::bom
