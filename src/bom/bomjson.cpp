#include "bom/bomjson.h"

#include "bom/fileindex.h"
#include "platform/nativepath.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kelvaron::bom {

namespace {

// Names that are not valid UTF-8 show U+FFFD: JSON text cannot carry the byte.
QJsonValue pathValue(const QString& path) {
  return path.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(platform::displayPath(path));
}

QJsonValue number(std::int64_t n) { return QJsonValue(static_cast<qint64>(n)); }

QJsonArray pathArray(const QStringList& paths) {
  QJsonArray a;
  for (const QString& p : paths) a.append(pathValue(p));
  return a;
}

QByteArray document(const QJsonObject& o) { return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n'; }

QJsonObject treeNode(const TreeRow& r) {
  return {{"name", r.name},
          {"type", reader::typeName(r.type)},
          {"file", pathValue(r.path)},
          {"status", statusName(r.status)},
          {"quantity", number(r.quantity)},
          {"suppressed", number(r.suppressed)}};
}

}  // namespace

QByteArray treeJson(const Product& product, const std::vector<TreeRow>& rows) {
  // Rows come in pre-order; a stack of open nodes turns them into nesting
  // without recursion.
  std::vector<std::pair<QJsonObject, QJsonArray>> open;
  auto closeOne = [&] {
    auto [node, children] = std::move(open.back());
    open.pop_back();
    node.insert("children", children);
    if (open.empty()) return node;
    open.back().second.append(node);
    return QJsonObject();
  };
  QJsonObject root;
  for (const TreeRow& r : rows) {
    while (!open.empty() && open.size() > static_cast<std::size_t>(r.level)) root = closeOne();
    open.emplace_back(treeNode(r), QJsonArray());
  }
  while (!open.empty()) root = closeOne();
  return document({{"assembly", pathValue(product.top)}, {"root", root}});
}

QByteArray flatJson(const Product& product, const std::vector<FlatItem>& items) {
  QJsonArray list;
  for (const FlatItem& i : items)
    list.append(QJsonObject{{"name", i.name},
                            {"type", reader::typeName(i.type)},
                            {"quantity", number(i.quantity)},
                            {"suppressed", number(i.suppressed)},
                            {"parents", i.parents},
                            {"file", pathValue(i.path)},
                            {"status", statusName(i.status)}});
  return document({{"assembly", pathValue(product.top)}, {"items", list}});
}

QByteArray whereUsedJson(const QString& name, const std::vector<Usage>& usages, bool indirect) {
  QJsonArray list;
  for (const Usage& u : usages) {
    QJsonObject o{{"assembly", pathValue(u.assembly)}, {"quantity", number(u.quantity)}};
    if (indirect) o.insert("path", pathArray(u.path));
    list.append(o);
  }
  return document({{"name", name}, {"used_in", list}});
}

QByteArray checkJson(const CheckResult& result) {
  QJsonArray missing, unreadable;
  for (const MissingFile& m : result.missing)
    missing.append(QJsonObject{
        {"file", m.file}, {"name", m.name}, {"type", reader::typeName(m.type)}, {"needed_by", pathArray(m.neededBy)}});
  for (const UnreadableFile& u : result.unreadable)
    unreadable.append(QJsonObject{{"file", pathValue(u.path)}, {"reason", u.reason}});
  return document({{"missing", missing},
                   {"unreadable", unreadable},
                   {"unused", pathArray(result.unused)},
                   {"top", pathArray(result.top)}});
}

QByteArray diffJson(const QString& oldPath, const QString& newPath, const std::vector<ComponentChange>& changes) {
  QJsonArray lists[3];
  for (const ComponentChange& c : changes)
    lists[static_cast<int>(c.kind)].append(QJsonObject{{"name", c.name},
                                                       {"type", reader::typeName(c.type)},
                                                       {"old_quantity", number(c.oldQuantity)},
                                                       {"new_quantity", number(c.newQuantity)},
                                                       {"old_suppressed", number(c.oldSuppressed)},
                                                       {"new_suppressed", number(c.newSuppressed)}});
  return document({{"old", pathValue(absolutePath(oldPath))},
                   {"new", pathValue(absolutePath(newPath))},
                   {"added", lists[0]},
                   {"removed", lists[1]},
                   {"changed", lists[2]}});
}

}  // namespace kelvaron::bom
