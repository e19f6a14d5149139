#include "productview/productexport.h"

#include "bom/bomtables.h"
#include "productview/flatmodel.h"
#include "productview/productmodel.h"

#include <QAbstractProxyModel>

namespace kelvaron::productview {

namespace {

QModelIndex sourceOf(QModelIndex index) {
  while (const auto* proxy = qobject_cast<const QAbstractProxyModel*>(index.model())) index = proxy->mapToSource(index);
  return index;
}

const QAbstractItemModel* sourceModelOf(const QAbstractItemModel* model) {
  while (const auto* proxy = qobject_cast<const QAbstractProxyModel*>(model)) model = proxy->sourceModel();
  return model;
}

}  // namespace

bom::Table treeViewTable(const QAbstractItemModel& view) {
  const auto* model = qobject_cast<const ProductModel*>(sourceModelOf(&view));
  if (!model || !model->shown()) return bom::treeTable({}, {});
  std::vector<bom::TreeRow> rows;
  std::vector<QModelIndex> stack;
  for (int r = view.rowCount() - 1; r >= 0; --r) stack.push_back(view.index(r, 0));
  while (!stack.empty()) {
    const QModelIndex at = stack.back();
    stack.pop_back();
    rows.push_back(model->treeRow(sourceOf(at)));
    for (int r = view.rowCount(at) - 1; r >= 0; --r) stack.push_back(view.index(r, 0, at));
  }
  return bom::treeTable(rows, bom::folderOf(model->shown()->product.top));
}

bom::Table flatViewTable(const QAbstractItemModel& view) {
  const auto* model = qobject_cast<const FlatModel*>(sourceModelOf(&view));
  if (!model) return bom::flatTable({}, {});
  std::vector<bom::FlatItem> items;
  for (int r = 0; r < view.rowCount(); ++r)
    items.push_back(model->items()[static_cast<std::size_t>(sourceOf(view.index(r, 0)).row())]);
  return bom::flatTable(items, model->topFolder());
}

}  // namespace kelvaron::productview
