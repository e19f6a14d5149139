#pragma once
// The files and folders a folder scan could not handle as it should, as a
// table: the path, and what happened in words a user understands.

#include "app/scancontroller.h"

#include <QAbstractTableModel>
#include <vector>

namespace kelvaron {

class ProblemModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { File, Reason, ColumnCount };

  explicit ProblemModel(QObject* parent = nullptr);

  void setProblems(std::vector<ScanProblem> problems);
  const ScanProblem& problem(int row) const { return m_problems[static_cast<std::size_t>(row)]; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  std::vector<ScanProblem> m_problems;
};

/// The summary's first line: "1,234 files, 1,230 reports written, 4 failures,
/// 12.3 s" (", stopped" when the scan was stopped).
QString summaryText(const ScanSummary& summary);

}  // namespace kelvaron
