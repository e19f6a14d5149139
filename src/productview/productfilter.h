#pragma once
// Narrows a product view to the rows whose name or file contains a text and
// whose type is the one chosen; sorts by numbers as numbers. Over the tree,
// a row that matches keeps its assemblies above it.

#include "reader/assemblymodel.h"

#include <QSortFilterProxyModel>
#include <optional>

namespace kelvaron::productview {

class ProductFilter : public QSortFilterProxyModel {
  Q_OBJECT
 public:
  /// The columns of the source that hold the name, the file and the type.
  ProductFilter(int nameColumn, int fileColumn, int typeColumn, QObject* parent = nullptr);

  /// Rows whose name or file contains `text`, case ignored; all for "".
  void setText(const QString& text);
  /// Rows of `type` only; all for none.
  void setType(std::optional<reader::ComponentType> type);
  /// Whether a text or a type narrows the rows.
  bool narrowed() const { return !m_text.isEmpty() || m_type.has_value(); }

 protected:
  bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

 private:
  int m_nameColumn, m_fileColumn, m_typeColumn;
  QString m_text;
  std::optional<reader::ComponentType> m_type;
};

}  // namespace kelvaron::productview
