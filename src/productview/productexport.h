#pragma once
// What a product view shows, as the core's table for the CSV and Excel
// writers: the rows the filter lets through, in the order shown.

#include "bom/table.h"

#include <QAbstractItemModel>

namespace kelvaron::productview {

/// The tree under `view` (a ProductModel, or proxies over one) in pre-order,
/// every level whether folded or not, as `bom` tabulates it. Empty without a product.
bom::Table treeViewTable(const QAbstractItemModel& view);

/// The rows of `view` (a FlatModel, or proxies over one) in their shown
/// order, as `bom --flat` tabulates them.
bom::Table flatViewTable(const QAbstractItemModel& view);

}  // namespace kelvaron::productview
