#pragma once
// The product structure as a tree model: one row per component per parent
// assembly, in the order the parent's file names them, under one row for the
// top assembly. Rows are made when a view first asks for them, so a product
// of a hundred thousand paths opens as fast as its first level.

#include "bom/productrows.h"
#include "productview/rowfields.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QImage>
#include <memory>
#include <vector>

namespace kelvaron::productview {

class PictureCache;

/// A product as the window shows it: the core's product and the folders,
/// after each assembly's own, where its component files were looked for.
struct ShownProduct {
  bom::Product product;
  QStringList searchFolders;
};

/// The facts of the product's files, by path.
using FactsByPath = QHash<QString, PartFacts>;

/// The facts of `path` in `facts`; null when unknown.
const PartFacts* factsOf(const FactsByPath* facts, const QString& path);

class ProductModel : public QAbstractItemModel {
  Q_OBJECT
 public:
  enum Column { Name, Quantity, Suppressed, Type, Description, Material, File, Status, ColumnCount };

  explicit ProductModel(QObject* parent = nullptr);
  ~ProductModel() override;

  /// Shows `product` (nothing for null), replacing what was shown.
  void setProduct(std::shared_ptr<const ShownProduct> product);
  const ShownProduct* shown() const { return m_shown.get(); }

  /// Shows each row's picture from `pictures` in the name column, a
  /// placeholder with the type until it is read or where there is none.
  void setPictures(PictureCache* pictures);

  /// Fills the description and material columns from `facts`.
  void setFacts(std::shared_ptr<const FactsByPath> facts);

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
  QVariant picture(const Item& item, const bom::TreeRow& row) const;
  void pictureRead(const QString& path);

  std::shared_ptr<const ShownProduct> m_shown;
  std::unique_ptr<Item> m_top;
  PictureCache* m_pictures = nullptr;
  std::shared_ptr<const FactsByPath> m_facts;
  QImage m_placeholders[2];  ///< per reader::ComponentType
  /// Rows shown with a placeholder while their file's picture is read.
  mutable QHash<QString, std::vector<const Item*>> m_waiting;
};

}  // namespace kelvaron::productview
