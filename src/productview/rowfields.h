#pragma once
// The cells of a product row, whichever model holds it: text, sort key,
// alignment, status icon and colour, and the path and status for callers.

#include "bom/placement.h"

#include <QVariant>

namespace kelvaron::productview {

/// What a model's rows carry besides their text; shared by the product
/// views so the export and the tests read one vocabulary.
enum ProductRole {
  PathRole = Qt::UserRole,  ///< the row's file, absolute; empty when missing
  StatusRole,               ///< bom::Status as int
  SortRole,                 ///< numbers as numbers, texts folded
  TypeRole,                 ///< reader::ComponentType as int
};

enum class Field { Name, Quantity, Suppressed, Parents, Type, Description, Material, File, Status };

/// What a part or assembly file says of itself, for the rows that place it.
struct PartFacts {
  QString description;  ///< the DESCRIPTION parameter
  QString material;
};

/// One row's values.
struct RowFields {
  QString name;
  reader::ComponentType type = reader::ComponentType::Part;
  std::int64_t quantity = 0;
  std::int64_t suppressed = 0;
  int parents = 0;
  bom::Status status = bom::Status::Ok;
  QString path;
  const PartFacts* facts = nullptr;  ///< none until the file is read
};

/// How a row shows its file: relative to the top assembly's folder, as the
/// CLI's tables do; empty for a missing file.
QString shownFile(const QString& path, const QString& topFolder);

/// The data of `field` of `row` for `role`; files relative to `topFolder`.
QVariant fieldData(Field field, const RowFields& row, const QString& topFolder, int role);

/// The column caption of `field`.
QString fieldTitle(Field field);

}  // namespace kelvaron::productview
