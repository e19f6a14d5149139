#pragma once
// Each command's result as a Table for the text, CSV and Excel forms.

#include "bom/modeldiff.h"
#include "bom/productrows.h"
#include "bom/projectcheck.h"
#include "bom/table.h"
#include "bom/whereused.h"

#include <utility>
#include <vector>

namespace kelvaron::bom {

/// quantity, suppressed, type, name (indented by level), file (relative to
/// `topFolder`), status.
Table treeTable(const std::vector<TreeRow>& rows, const QString& topFolder);

/// quantity, suppressed, parents, type, name, file (relative to `topFolder`), status.
Table flatTable(const std::vector<FlatItem>& items, const QString& topFolder);

/// name, assembly, quantity, suppressed, and with `indirect` the path
/// ("top > ... > user").
Table whereUsedTable(const std::vector<std::pair<QString, std::vector<Usage>>>& results, bool indirect);

/// kind (missing, unreadable, unused, top), file, detail (the assemblies
/// that need a missing file, the reason a file cannot be read).
Table checkTable(const CheckResult& result);

/// change, type, name, old quantity, new quantity, old suppressed, new suppressed.
Table diffTable(const std::vector<ComponentChange>& changes);

}  // namespace kelvaron::bom
