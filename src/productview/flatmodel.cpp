#include "productview/flatmodel.h"

namespace kelvaron::productview {

FlatModel::FlatModel(QObject* parent) : QAbstractTableModel(parent) {}

void FlatModel::setProduct(std::shared_ptr<const ShownProduct> product) {
  beginResetModel();
  m_items = product ? bom::flatItems(product->product, 0) : std::vector<bom::FlatItem>{};
  m_topFolder = product ? bom::folderOf(product->product.top) : QString();
  m_facts.reset();
  endResetModel();
}

void FlatModel::setFacts(std::shared_ptr<const FactsByPath> facts) {
  Q_EMIT layoutAboutToBeChanged();
  m_facts = std::move(facts);
  Q_EMIT layoutChanged();
}

int FlatModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_items.size());
}

int FlatModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

namespace {

constexpr Field kFields[] = {Field::Name,        Field::Quantity, Field::Suppressed, Field::Parents, Field::Type,
                             Field::Description, Field::Material, Field::File,       Field::Status};

}  // namespace

QVariant FlatModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const bom::FlatItem& i = m_items[static_cast<std::size_t>(index.row())];
  return fieldData(
      kFields[index.column()],
      {i.name, i.type, i.quantity, i.suppressed, i.parents, i.status, i.path, factsOf(m_facts.get(), i.path)},
      m_topFolder, role);
}

QVariant FlatModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount) return {};
  return fieldTitle(kFields[section]);
}

}  // namespace kelvaron::productview
