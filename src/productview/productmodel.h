#pragma once
// The product structure as a tree model: one row per component per parent
// assembly, in the order the parent's file names them, under one row for the
// top assembly. Rows are made when a view first asks for them, so a product
// of a hundred thousand paths opens as fast as its first level.

#include "bom/productrows.h"
#include "productview/rowfields.h"

#include <QAbstractItemModel>
#include <memory>
#include <vector>

namespace kelvaron::productview {

/// A product as the window shows it: the core's product and the folders,
/// after each assembly's own, where its component files were looked for.
struct ShownProduct {
  bom::Product product;
  QStringList searchFolders;
};

class ProductModel : public QAbstractItemModel {
  Q_OBJECT
 public:
  enum Column { Name, Quantity, Suppressed, Type, File, Status, ColumnCount };

  explicit ProductModel(QObject* parent = nullptr);
  ~ProductModel() override;

  /// Shows `product` (nothing for null), replacing what was shown.
  void setProduct(std::shared_ptr<const ShownProduct> product);
  const ShownProduct* shown() const { return m_shown.get(); }

  /// The row at `index` as the core's tree gives it (level 0 for the top).
  bom::TreeRow treeRow(const QModelIndex& index) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  struct Item;
  Item* itemOf(const QModelIndex& index) const;
  const bom::Placement* placementOf(const Item& item) const;
  int childNode(const Item& item) const;
  QString toolTip(const Item& item) const;

  std::shared_ptr<const ShownProduct> m_shown;
  std::unique_ptr<Item> m_top;
};

}  // namespace kelvaron::productview
