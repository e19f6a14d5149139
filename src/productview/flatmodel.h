#pragma once
// The flat totals of a product: one row per distinct component with its
// quantity over every path, the numbers `bom --flat` prints.

#include "productview/productmodel.h"

#include <QAbstractTableModel>

namespace kelvaron::productview {

class FlatModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { Name, Quantity, Suppressed, Parents, Type, Description, Material, File, Status, ColumnCount };

  explicit FlatModel(QObject* parent = nullptr);

  /// Shows the totals of `product` (nothing for null).
  void setProduct(std::shared_ptr<const ShownProduct> product);
  const std::vector<bom::FlatItem>& items() const { return m_items; }
  const QString& topFolder() const { return m_topFolder; }
  /// Fills the description and material columns from `facts`.
  void setFacts(std::shared_ptr<const FactsByPath> facts);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  std::vector<bom::FlatItem> m_items;
  QString m_topFolder;
  std::shared_ptr<const FactsByPath> m_facts;
};

}  // namespace kelvaron::productview
