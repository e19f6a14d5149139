#pragma once
// Part data as extra columns of a bill of materials: chosen parameters, the
// material and the mass of each row's own file, read once per file.

#include "bom/jsonwriter.h"
#include "bom/table.h"
#include "reader/modeldata.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

namespace kelvaron::bom {

/// Which part data a bill of materials shows.
struct PartColumns {
  QStringList parameters;  ///< parameter names, matched case-insensitively, in the order asked
  bool material = false;
  bool mass = false;  ///< the mass and the volume

  bool any() const { return !parameters.isEmpty() || material || mass; }
  /// The reader items these columns need.
  unsigned items() const;
};

/// Reads a file's part data: the CLI passes reader::readModelDataFile, tests a table in memory.
using PartDataLoader = std::function<reader::FileModelData(const QString& path, unsigned items)>;

/// The part data read so far, by path; each path is read at most once.
class PartDataCache {
 public:
  PartDataCache(PartColumns columns, PartDataLoader loader) : m_columns(std::move(columns)), m_loader(std::move(loader)) {}
  const PartColumns& columns() const { return m_columns; }
  /// The data of `path`, read on first use; nothing for an empty path (a
  /// missing file) or a file that cannot be read.
  const reader::ModelData* get(const QString& path);

 private:
  PartColumns m_columns;
  PartDataLoader m_loader;
  std::unordered_map<QString, std::optional<reader::ModelData>> m_data;
};

/// The value of the parameter `name` (case ignored; the first of that name)
/// as a cell: text, a count for integers, a number for reals, "true"/"false";
/// empty when the file lacks it or stores no value.
Cell parameterCell(const reader::ModelData& data, const QString& name);

/// The headers of the columns: one per parameter (as asked), then
/// "material", then "mass" and "volume".
QStringList partHeaders(const PartColumns& columns);

/// Appends the part data of the file at `path` (empty when missing) to a row,
/// one cell per header of partHeaders; empty cells where the file lacks an
/// item or cannot be read.
void appendPartCells(std::vector<Cell>& row, const QString& path, PartDataCache& cache);

/// Writes the part data of the file at `path` as members of the open object:
/// "parameters": {"NAME": value|null}, "material" and "mass": {"mass",
/// "volume"} | null, each as asked.
void writePartFields(JsonWriter& json, const QString& path, PartDataCache& cache);

}  // namespace kelvaron::bom
