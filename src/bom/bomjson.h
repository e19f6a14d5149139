#pragma once
// Each command's result as JSON: one compact document per line.

#include "bom/modeldiff.h"
#include "bom/productrows.h"
#include "bom/projectcheck.h"
#include "bom/whereused.h"

#include <QByteArray>

namespace kelvaron::bom {

/// {"assembly", "root": {"name", "type", "file", "status", "quantity",
/// "suppressed", "children": [...]}}; "file" is absolute, or null when missing.
QByteArray treeJson(const Product& product, const std::vector<TreeRow>& rows);

/// {"assembly", "items": [{"name", "type", "quantity", "suppressed",
/// "parents", "file", "status"}]}.
QByteArray flatJson(const Product& product, const std::vector<FlatItem>& items);

/// {"name", "used_in": [{"assembly", "quantity"} plus "path" with `indirect`]}.
QByteArray whereUsedJson(const QString& name, const std::vector<Usage>& usages, bool indirect);

/// {"missing": [{"file", "name", "type", "needed_by"}], "unreadable":
/// [{"file", "reason"}], "unused": [paths], "top": [paths]}.
QByteArray checkJson(const CheckResult& result);

/// {"old", "new", "added", "removed", "changed"}, each change {"name", "type",
/// "old_quantity", "new_quantity", "old_suppressed", "new_suppressed"}.
QByteArray diffJson(const QString& oldPath, const QString& newPath, const std::vector<ComponentChange>& changes);

}  // namespace kelvaron::bom
