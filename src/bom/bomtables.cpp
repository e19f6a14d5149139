#include "bom/bomtables.h"

#include "platform/nativepath.h"

#include <QDir>

namespace kelvaron::bom {

namespace {

Cell fileCell(const QString& path, const QDir& base) {
  if (path.isEmpty()) return {};
  return platform::displayPath(base.relativeFilePath(path));
}

Cell shown(const QString& path) { return platform::displayPath(path); }

Cell typeCell(reader::ComponentType type) { return QString::fromLatin1(reader::typeName(type)); }

Cell statusCell(Status status) { return QString::fromLatin1(statusName(status)); }

}  // namespace

Table treeTable(const std::vector<TreeRow>& rows, const QString& topFolder) {
  Table t;
  t.headers = {"quantity", "suppressed", "type", "name", "file", "status"};
  t.indentColumn = 3;
  const QDir base(topFolder);
  for (const TreeRow& r : rows) {
    t.rows.push_back(
        {r.quantity, r.suppressed, typeCell(r.type), r.name, fileCell(r.path, base), statusCell(r.status)});
    t.levels.push_back(r.level);
  }
  return t;
}

Table flatTable(const std::vector<FlatItem>& items, const QString& topFolder) {
  Table t;
  t.headers = {"quantity", "suppressed", "parents", "type", "name", "file", "status"};
  const QDir base(topFolder);
  for (const FlatItem& i : items)
    t.rows.push_back({i.quantity, i.suppressed, std::int64_t{i.parents}, typeCell(i.type), i.name,
                      fileCell(i.path, base), statusCell(i.status)});
  return t;
}

Table whereUsedTable(const std::vector<std::pair<QString, std::vector<Usage>>>& results, bool indirect) {
  Table t;
  t.title = QStringLiteral("where-used");
  t.headers = {"name", "assembly", "quantity", "suppressed"};
  if (indirect) t.headers << QStringLiteral("path");
  for (const auto& [name, usages] : results) {
    for (const Usage& u : usages) {
      std::vector<Cell> row{name, shown(u.assembly), u.quantity, u.suppressed};
      if (indirect) {
        QStringList path;
        for (const QString& p : u.path) path << platform::displayPath(p);
        row.emplace_back(path.join(QStringLiteral(" > ")));
      }
      t.rows.push_back(std::move(row));
    }
  }
  return t;
}

Table checkTable(const CheckResult& result) {
  Table t;
  t.title = QStringLiteral("check");
  t.headers = {"kind", "file", "detail"};
  for (const MissingFile& m : result.missing) {
    QStringList needed;
    for (const QString& p : m.neededBy) needed << platform::displayPath(p);
    t.rows.push_back(
        {QStringLiteral("missing"), m.file, QStringLiteral("needed by ") + needed.join(QStringLiteral(", "))});
  }
  for (const UnreadableFile& u : result.unreadable)
    t.rows.push_back({QStringLiteral("unreadable"), shown(u.path), u.reason});
  for (const QString& p : result.unused) t.rows.push_back({QStringLiteral("unused"), shown(p), Cell{}});
  for (const QString& p : result.top) t.rows.push_back({QStringLiteral("top"), shown(p), Cell{}});
  return t;
}

Table diffTable(const std::vector<ComponentChange>& changes) {
  Table t;
  t.title = QStringLiteral("diff");
  t.headers = {"change", "type", "name", "old quantity", "new quantity", "old suppressed", "new suppressed"};
  for (const ComponentChange& c : changes)
    t.rows.push_back({QString::fromLatin1(changeName(c.kind)), typeCell(c.type), c.name, c.oldQuantity, c.newQuantity,
                      c.oldSuppressed, c.newSuppressed});
  return t;
}

}  // namespace kelvaron::bom
