#include "productview/productfilter.h"

#include "productview/productmodel.h"

namespace kelvaron::productview {

ProductFilter::ProductFilter(int nameColumn, int fileColumn, int typeColumn, QObject* parent)
    : QSortFilterProxyModel(parent), m_nameColumn(nameColumn), m_fileColumn(fileColumn), m_typeColumn(typeColumn) {
  setRecursiveFilteringEnabled(true);
  setSortRole(SortRole);
}

void ProductFilter::setText(const QString& text) {
  if (text == m_text) return;
  m_text = text;
  invalidateRowsFilter();
}

void ProductFilter::setType(std::optional<reader::ComponentType> type) {
  if (type == m_type) return;
  m_type = type;
  invalidateRowsFilter();
}

bool ProductFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
  if (!narrowed()) return true;
  const QAbstractItemModel* source = sourceModel();
  auto text = [&](int column) { return source->index(sourceRow, column, sourceParent).data().toString(); };
  if (m_type && text(m_typeColumn) != QLatin1String(reader::typeName(*m_type))) return false;
  return m_text.isEmpty() || text(m_nameColumn).contains(m_text, Qt::CaseInsensitive) ||
         text(m_fileColumn).contains(m_text, Qt::CaseInsensitive);
}

}  // namespace kelvaron::productview
