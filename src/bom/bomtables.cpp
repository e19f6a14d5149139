#include "bom/bomtables.h"

#include <QDir>
#include <memory>

namespace kelvaron::bom {

namespace {

// The file a row stands for: where it was found, relative to the top's
// folder, or the name that was looked for.
Cell fileCell(const QString& path, const QString& wanted, const QDir& base) {
  if (path.isEmpty()) return wanted.isEmpty() ? Cell{} : Cell{wanted};
  return base.relativeFilePath(path);
}

Cell typeCell(reader::ComponentType type, bool skeleton) {
  return skeleton ? QStringLiteral("skeleton") : QString::fromLatin1(reader::typeName(type));
}

Cell statusCell(Status status) { return QString::fromLatin1(statusName(status)); }

std::vector<Cell> treeCells(const TreeRow& r, const QDir& base) {
  return {r.quantity, r.suppressed, typeCell(r.type, r.skeleton), r.name, fileCell(r.path, r.file, base),
          statusCell(r.status)};
}

}  // namespace

Table treeTable(const Product& product, int maxDepth, PartDataCache* parts) {
  Table t;
  t.headers = {"quantity", "suppressed", "type", "name", "file", "status"};
  if (parts) t.headers << partHeaders(parts->columns());
  t.tree = true;
  t.indentColumn = 3;
  forEachTreeRow(product, maxDepth, [](const TreeRow&) { return true; }, &t.notes);
  const auto base = std::make_shared<QDir>(folderOf(product.top));
  t.source = [&product, maxDepth, base, parts](const RowVisitor& visit) {
    forEachTreeRow(product, maxDepth, [&](const TreeRow& r) {
      std::vector<Cell> cells = treeCells(r, *base);
      if (parts) appendPartCells(cells, r.path, *parts);
      return visit(r.level, cells);
    });
  };
  return t;
}

Table treeTable(const std::vector<TreeRow>& rows, const QString& topFolder) {
  Table t;
  t.headers = {"quantity", "suppressed", "type", "name", "file", "status"};
  t.indentColumn = 3;
  t.tree = true;
  const QDir base(topFolder);
  for (const TreeRow& r : rows) {
    t.rows.push_back(treeCells(r, base));
    t.levels.push_back(r.level);
  }
  return t;
}

Table flatTable(const std::vector<FlatItem>& items, const QString& topFolder, PartDataCache* parts) {
  Table t;
  t.headers = {"quantity", "suppressed", "parents", "type", "name", "file", "status"};
  if (parts) t.headers << partHeaders(parts->columns());
  const QDir base(topFolder);
  std::vector<std::vector<Cell>> rows;
  rows.reserve(items.size());
  for (const FlatItem& i : items) {
    rows.push_back({i.quantity, i.suppressed, std::int64_t{i.parents}, typeCell(i.type, false), i.name,
                    fileCell(i.path, i.file, base), statusCell(i.status)});
    if (parts) appendPartCells(rows.back(), i.path, *parts);
  }
  t.setRows(std::move(rows));
  return t;
}

Table whereUsedTable(const std::vector<std::pair<QString, std::vector<Usage>>>& results, bool indirect) {
  Table t;
  t.title = QStringLiteral("where-used");
  t.headers = {"name", "type", "assembly", "quantity", "suppressed"};
  if (indirect) t.headers << QStringLiteral("path");
  std::vector<std::vector<Cell>> rows;
  for (const auto& [name, usages] : results) {
    for (const Usage& u : usages) {
      std::vector<Cell> row{name, u.type, u.assembly, u.quantity, u.suppressed};
      if (indirect) row.emplace_back(u.path.join(QStringLiteral(" > ")) + (u.cycle ? QStringLiteral(" > (cycle)") : QString()));
      rows.push_back(std::move(row));
    }
  }
  t.setRows(std::move(rows));
  return t;
}

Table checkTable(const CheckResult& result) {
  Table t;
  t.title = QStringLiteral("check");
  t.headers = {"kind", "file", "detail"};
  std::vector<std::vector<Cell>> rows;
  for (const MissingFile& m : result.missing)
    rows.push_back(
        {QStringLiteral("missing"), m.file, QStringLiteral("needed by ") + m.neededBy.join(QStringLiteral(", "))});
  for (const UnreadableFile& u : result.unreadable) rows.push_back({QStringLiteral("unreadable"), u.path, u.reason});
  for (const QStringList& c : result.cycles)
    rows.push_back({QStringLiteral("cycle"), c.first(), c.join(QStringLiteral(" > "))});
  for (const QString& p : result.unused) rows.push_back({QStringLiteral("unused"), p, Cell{}});
  for (const QString& p : result.top) rows.push_back({QStringLiteral("top"), p, Cell{}});
  t.setRows(std::move(rows));
  return t;
}

Table diffTable(const std::vector<ComponentChange>& changes) {
  Table t;
  t.title = QStringLiteral("diff");
  t.headers = {"change", "type", "name", "old quantity", "new quantity", "old suppressed", "new suppressed"};
  std::vector<std::vector<Cell>> rows;
  for (const ComponentChange& c : changes)
    rows.push_back({QString::fromLatin1(changeName(c.kind)), typeCell(c.type, false), c.name, c.oldQuantity,
                    c.newQuantity, c.oldSuppressed, c.newSuppressed});
  t.setRows(std::move(rows));
  return t;
}

}  // namespace kelvaron::bom
