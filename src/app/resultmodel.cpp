#include "app/resultmodel.h"

namespace kelvaron {

bool hasReaderList(const AssemblyAnalysis& analysis) {
  return analysis.ok() && analysis.fallback.isEmpty() && !analysis.model.failed &&
         analysis.model.generation != reader::Generation::Unknown;
}

ResultModel::ResultModel(QObject* parent) : QAbstractTableModel(parent) {}

void ResultModel::setResult(const QString& heading, const QStringList& names, const AssemblyAnalysis& analysis) {
  beginResetModel();
  m_heading = heading;
  m_rows.clear();
  m_details = hasReaderList(analysis);
  if (m_details) {
    m_rows.reserve(analysis.model.components.size());
    for (const reader::ModelComponent& c : analysis.model.components) {
      QString type = QString::fromLatin1(reader::typeName(c.type));
      if (!c.subtype.isEmpty()) type += u'/' + c.subtype;
      m_rows.push_back({c.name, type, c.quantity, c.suppressed, c.generic});
    }
  } else {
    m_rows.reserve(static_cast<std::size_t>(names.size()));
    for (const QString& n : names) m_rows.push_back({n, {}, -1, -1, {}});
  }
  endResetModel();
}

void ResultModel::clear() {
  beginResetModel();
  m_heading.clear();
  m_rows.clear();
  m_details = false;
  endResetModel();
}

QString ResultModel::name(int row) const {
  return row >= 0 && row < rowCount() ? m_rows[static_cast<std::size_t>(row)].name : QString();
}

int ResultModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ResultModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant ResultModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) return {};
  const Row& row = m_rows[static_cast<std::size_t>(index.row())];
  if (role == Qt::ToolTipRole && !row.generic.isEmpty())
    return QStringLiteral("%1: an instance of the family table of %2").arg(row.name, row.generic);
  if (role == Qt::TextAlignmentRole && (index.column() == Quantity || index.column() == Suppressed))
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  switch (index.column()) {
    case Name:
      return row.name;
    case Type:
      return row.type;
    case Quantity:
      return row.quantity < 0 ? QVariant() : QVariant(row.quantity);
    case Suppressed:
      return row.suppressed < 0 ? QVariant() : QVariant(row.suppressed);
    default:
      return {};
  }
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case Name:
      return QStringLiteral("name");
    case Type:
      return QStringLiteral("type");
    case Quantity:
      return QStringLiteral("quantity");
    case Suppressed:
      return QStringLiteral("suppressed");
    default:
      return {};
  }
}

}  // namespace kelvaron
