#include "productview/resultmodel.h"

#include "productview/rowfields.h"
#include "productview/statusstyle.h"

namespace kelvaron::productview {

ResultTable usersResult(const QString& name, const std::vector<bom::Usage>& usages) {
  ResultTable r{bom::whereUsedTable({{name, usages}}, false), {}, {}};
  for (const bom::Usage& u : usages) {
    r.targets << u.assembly;
    r.statuses.push_back(bom::Status::Ok);
  }
  return r;
}

ResultTable checkResult(const bom::CheckResult& result) {
  ResultTable r{bom::checkTable(result), {}, {}};
  for (const bom::MissingFile& m : result.missing) {
    r.targets << m.neededBy.value(0);
    r.statuses.push_back(bom::Status::Missing);
  }
  for (const bom::UnreadableFile& u : result.unreadable) {
    r.targets << u.path;
    r.statuses.push_back(bom::Status::Unreadable);
  }
  for (const QStringList& cycle : result.cycles) {
    r.targets << cycle.value(0);
    r.statuses.push_back(bom::Status::Cycle);
  }
  for (const QStringList* list : {&result.unused, &result.top}) {
    for (const QString& p : *list) {
      r.targets << p;
      r.statuses.push_back(bom::Status::Ok);
    }
  }
  return r;
}

ResultModel::ResultModel(QObject* parent) : QAbstractTableModel(parent) {}

void ResultModel::setResult(ResultTable result) {
  beginResetModel();
  m_result = std::move(result);
  endResetModel();
}

int ResultModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_result.table.rows.size());
}

int ResultModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_result.table.headers.size());
}

QVariant ResultModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const auto row = static_cast<std::size_t>(index.row());
  const bom::Cell& cell = m_result.table.rows[row][static_cast<std::size_t>(index.column())];
  const bom::Status status = m_result.statuses[row];
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
    case SortRole:
      if (const auto* text = std::get_if<QString>(&cell)) return *text;
      if (const auto* number = std::get_if<std::int64_t>(&cell)) return QVariant::fromValue<qlonglong>(*number);
      if (const auto* real = std::get_if<double>(&cell)) return *real;
      return {};
    case Qt::TextAlignmentRole:
      return std::holds_alternative<std::int64_t>(cell) || std::holds_alternative<double>(cell)
                 ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                 : QVariant();
    case Qt::DecorationRole:
      return index.column() == 0 ? QVariant(statusIcon(status)) : QVariant();
    case Qt::ForegroundRole: {
      const QColor colour = statusColour(status);
      return colour.isValid() ? QVariant(colour) : QVariant();
    }
    case PathRole:
      return m_result.targets.value(index.row());
    case StatusRole:
      return static_cast<int>(status);
  }
  return {};
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  return m_result.table.headers.value(section);
}

}  // namespace kelvaron::productview
