#pragma once
// The result of one file's analysis as a table: one row per component with
// its name, type, quantity and suppressed instances where the reader knew
// the file's layout, else one row per name the marker search found.

#include "analysis/assemblyanalysis.h"

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>
#include <vector>

namespace kelvaron {

class ResultModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { Name, Type, Quantity, Suppressed, ColumnCount };

  explicit ResultModel(QObject* parent = nullptr);

  /// Shows one analysis: `heading` is the list's first line ("the following
  /// parts are build in this assembly:", empty when the file was no
  /// assembly) and `names` the names as the analysis streamed them; the
  /// reader's components replace them where `analysis` has its list.
  void setResult(const QString& heading, const QStringList& names, const AssemblyAnalysis& analysis);
  /// Shows nothing.
  void clear();

  const QString& heading() const { return m_heading; }
  /// Whether the type and count columns hold the reader's data.
  bool hasDetails() const { return m_details; }
  /// The name in `row`, as the copy button copies it.
  QString name(int row) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  struct Row {
    QString name;
    QString type;
    qint64 quantity = -1;  // -1: unknown
    qint64 suppressed = -1;
    QString generic;
  };
  QString m_heading;
  std::vector<Row> m_rows;
  bool m_details = false;
};

/// True when the reader gave the component list of `analysis`, with types
/// and counts; otherwise the names come from the marker search.
bool hasReaderList(const AssemblyAnalysis& analysis);

}  // namespace kelvaron
