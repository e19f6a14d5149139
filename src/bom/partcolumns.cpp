#include "bom/partcolumns.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace kelvaron::bom {

namespace {

const reader::Parameter* findParameter(const reader::ModelData& data, const QString& name) {
  for (const reader::Parameter& p : data.parameters)
    if (p.name.compare(name, Qt::CaseInsensitive) == 0) return &p;
  return nullptr;
}

Cell realCell(const std::optional<double>& v) {
  if (!v || !std::isfinite(*v)) return {};
  return *v;
}

QJsonValue jsonOf(const Cell& cell) {
  if (const auto* s = std::get_if<QString>(&cell)) return *s;
  if (const auto* n = std::get_if<std::int64_t>(&cell)) return static_cast<qint64>(*n);
  if (const auto* d = std::get_if<double>(&cell)) return *d;
  return QJsonValue::Null;
}

// The part data of one row as JSON fields.
void addFields(QJsonObject& o, const reader::ModelData* data, const PartColumns& columns) {
  if (!columns.parameters.isEmpty()) {
    QJsonObject parameters;
    for (const QString& name : columns.parameters) {
      const reader::Parameter* p = data ? findParameter(*data, name) : nullptr;
      QJsonValue v = data ? jsonOf(parameterCell(*data, name)) : QJsonValue::Null;
      if (p && p->type == reader::ParameterType::Boolean && std::holds_alternative<bool>(p->value))
        v = std::get<bool>(p->value);
      parameters.insert(name, v);
    }
    o.insert("parameters", parameters);
  }
  if (columns.material)
    o.insert("material", data && data->material ? QJsonValue(*data->material) : QJsonValue::Null);
  if (columns.mass) {
    if (data && data->mass)
      o.insert("mass", QJsonObject{{"mass", jsonOf(realCell(data->mass->mass))},
                                   {"volume", jsonOf(realCell(data->mass->volume))}});
    else
      o.insert("mass", QJsonValue::Null);
  }
}

}  // namespace

unsigned PartColumns::items() const {
  unsigned items = 0;
  if (!parameters.isEmpty()) items |= reader::ReadParameters;
  if (material) items |= reader::ReadMaterial;
  if (mass) items |= reader::ReadMass;
  return items;
}

const reader::ModelData* PartDataCache::get(const QString& path) {
  if (path.isEmpty()) return nullptr;
  auto it = m_data.find(path);
  if (it == m_data.end()) {
    reader::FileModelData read = m_loader(path, m_columns.items());
    std::optional<reader::ModelData> data;
    if (read.error.isEmpty()) data = std::move(read.data);
    it = m_data.emplace(path, std::move(data)).first;
  }
  return it->second ? &*it->second : nullptr;
}

Cell parameterCell(const reader::ModelData& data, const QString& name) {
  const reader::Parameter* p = findParameter(data, name);
  if (!p) return {};
  if (const auto* s = std::get_if<QString>(&p->value)) return *s;
  if (const auto* i = std::get_if<std::int64_t>(&p->value)) return *i;
  if (const auto* d = std::get_if<double>(&p->value)) return realCell(*d);
  if (const auto* b = std::get_if<bool>(&p->value)) return *b ? QStringLiteral("true") : QStringLiteral("false");
  return {};
}

void addPartColumns(Table& table, const std::vector<QString>& rowPaths, PartDataCache& cache) {
  const PartColumns& columns = cache.columns();
  table.headers << columns.parameters;
  if (columns.material) table.headers << QStringLiteral("material");
  if (columns.mass) table.headers << QStringLiteral("mass") << QStringLiteral("volume");
  for (std::size_t r = 0; r < table.rows.size() && r < rowPaths.size(); ++r) {
    const reader::ModelData* data = cache.get(rowPaths[r]);
    std::vector<Cell>& row = table.rows[r];
    for (const QString& name : columns.parameters) row.push_back(data ? parameterCell(*data, name) : Cell());
    if (columns.material) row.push_back(data && data->material ? Cell(*data->material) : Cell());
    if (columns.mass) {
      row.push_back(data && data->mass ? realCell(data->mass->mass) : Cell());
      row.push_back(data && data->mass ? realCell(data->mass->volume) : Cell());
    }
  }
}

QByteArray addPartJson(const QByteArray& document, const std::vector<QString>& rowPaths, PartDataCache& cache) {
  QJsonObject top = QJsonDocument::fromJson(document).object();
  std::size_t row = 0;
  const auto next = [&]() { return row < rowPaths.size() ? cache.get(rowPaths[row++]) : nullptr; };
  if (top.contains("items")) {
    QJsonArray items = top.value("items").toArray();
    for (qsizetype i = 0; i < items.size(); ++i) {
      QJsonObject item = items[i].toObject();
      addFields(item, next(), cache.columns());
      items[i] = item;
    }
    top.insert("items", items);
  } else if (top.contains("root")) {
    // Pre-order, as the rows; an explicit stack of (node, children done) rebuilt bottom-up.
    struct Open {
      QJsonObject node;
      QJsonArray children;
      qsizetype at = 0;
      QJsonArray done;
    };
    std::vector<Open> stack;
    const auto push = [&](QJsonObject node) {
      addFields(node, next(), cache.columns());
      QJsonArray children = node.value("children").toArray();
      stack.push_back({std::move(node), std::move(children), 0, {}});
    };
    push(top.value("root").toObject());
    QJsonObject root;
    while (!stack.empty()) {
      Open& open = stack.back();
      if (open.at < open.children.size()) {
        push(open.children[open.at++].toObject());
        continue;
      }
      QJsonObject node = std::move(open.node);
      node.insert("children", open.done);
      stack.pop_back();
      if (stack.empty())
        root = node;
      else
        stack.back().done.append(node);
    }
    top.insert("root", root);
  }
  return QJsonDocument(top).toJson(QJsonDocument::Compact) + '\n';
}

}  // namespace kelvaron::bom
