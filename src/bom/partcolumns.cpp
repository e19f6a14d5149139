#include "bom/partcolumns.h"

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

QStringList partHeaders(const PartColumns& columns) {
  QStringList headers = columns.parameters;
  if (columns.material) headers << QStringLiteral("material");
  if (columns.mass) headers << QStringLiteral("mass") << QStringLiteral("volume");
  return headers;
}

void appendPartCells(std::vector<Cell>& row, const QString& path, PartDataCache& cache) {
  const PartColumns& columns = cache.columns();
  const reader::ModelData* data = cache.get(path);
  for (const QString& name : columns.parameters) row.push_back(data ? parameterCell(*data, name) : Cell());
  if (columns.material) row.push_back(data && data->material ? Cell(*data->material) : Cell());
  if (columns.mass) {
    row.push_back(data && data->mass ? realCell(data->mass->mass) : Cell());
    row.push_back(data && data->mass ? realCell(data->mass->volume) : Cell());
  }
}

void writePartFields(JsonWriter& json, const QString& path, PartDataCache& cache) {
  const PartColumns& columns = cache.columns();
  const reader::ModelData* data = cache.get(path);
  if (!columns.parameters.isEmpty()) {
    json.key("parameters");
    json.beginObject();
    for (const QString& name : columns.parameters) {
      json.textKey(name);
      const reader::Parameter* p = data ? findParameter(*data, name) : nullptr;
      if (p && std::holds_alternative<bool>(p->value))
        json.boolean(std::get<bool>(p->value));
      else
        json.value(data ? parameterCell(*data, name) : Cell());
    }
    json.endObject();
  }
  if (columns.material) {
    json.key("material");
    json.value(data && data->material ? Cell(*data->material) : Cell());
  }
  if (columns.mass) {
    json.key("mass");
    if (data && data->mass) {
      json.beginObject();
      json.key("mass");
      json.value(realCell(data->mass->mass));
      json.key("volume");
      json.value(realCell(data->mass->volume));
      json.endObject();
    } else {
      json.null();
    }
  }
}

}  // namespace kelvaron::bom
