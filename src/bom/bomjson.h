#pragma once
// Each command's result as JSON: one compact document per line, written as
// it is produced.

#include "bom/modeldiff.h"
#include "bom/partcolumns.h"
#include "bom/productrows.h"
#include "bom/projectcheck.h"
#include "bom/table.h"
#include "bom/whereused.h"

namespace kelvaron::bom {

/// {"assembly", "root": {"name", "type", "file", "status", "quantity",
/// "suppressed", "children": [...]}, "notes": [...]}; "file" is absolute, or
/// null when missing, and then "looked_for" holds the file name looked for.
/// The rows are walked as they are written: the tree is never held. With
/// `parts`, each node carries its file's part data (writePartFields).
void writeTreeJson(const Product& product, int maxDepth, const QStringList& notes, ByteSink& out,
                   PartDataCache* parts = nullptr);

/// {"assembly", "items": [{"name", "type", "quantity", "suppressed",
/// "parents", "file", "status"}], "notes": [...]}; each item with its file's
/// part data with `parts`.
void writeFlatJson(const Product& product, const std::vector<FlatItem>& items, const QStringList& notes,
                   ByteSink& out, PartDataCache* parts = nullptr);

/// {"name", "used_in": [{"assembly", "type", "quantity", "suppressed"} plus,
/// with `indirect`, "path" and "cycle"], "notes": [...]}.
void writeWhereUsedJson(const QString& name, const std::vector<Usage>& usages, bool indirect, const QStringList& notes,
                        ByteSink& out);

/// {"missing": [{"file", "name", "type", "needed_by"}], "unreadable":
/// [{"file", "reason"}], "cycles": [[paths]], "unused": [paths], "top":
/// [paths], "notes": [...]}.
void writeCheckJson(const CheckResult& result, const QStringList& notes, ByteSink& out);

/// {"old", "new", "added", "removed", "changed"}, each change {"name", "type",
/// "old_quantity", "new_quantity", "old_suppressed", "new_suppressed"}.
void writeDiffJson(const QString& oldPath, const QString& newPath, const std::vector<ComponentChange>& changes,
                   ByteSink& out);

}  // namespace kelvaron::bom
