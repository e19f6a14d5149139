#pragma once
// Where-used and check answers as table models: the rows of the core's
// tables, each with the file a double-click opens.

#include "bom/bomtables.h"

#include <QAbstractTableModel>

namespace kelvaron::productview {

/// A core table with, per row, the file it leads to and its status.
struct ResultTable {
  bom::Table table;
  QStringList targets;                ///< per row: the file to open
  std::vector<bom::Status> statuses;  ///< per row: missing and unreadable rows are marked
};

/// The assemblies that place `name`, with quantities; each row opens its assembly.
ResultTable usersResult(const QString& name, const std::vector<bom::Usage>& usages);

/// Missing, unreadable, unused and top files; a missing file's row opens the
/// first assembly that needs it, every other row its own file.
ResultTable checkResult(const bom::CheckResult& result);

class ResultModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit ResultModel(QObject* parent = nullptr);

  void setResult(ResultTable result);
  const ResultTable& result() const { return m_result; }
  /// The file the row at `row` opens; empty when out of range.
  QString target(int row) const { return m_result.targets.value(row); }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  ResultTable m_result;
};

}  // namespace kelvaron::productview
