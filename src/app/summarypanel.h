#pragma once
// The summary of the last folder scan: its counts, and every file that
// failed or is damaged, each of which can be opened.

#include <QString>
#include <QWidget>

class QLabel;
class QTreeView;

namespace kelvaron {

class ProblemModel;
struct ScanSummary;

class SummaryPanel : public QWidget {
  Q_OBJECT

 public:
  explicit SummaryPanel(ProblemModel* model, QWidget* parent = nullptr);

  /// A scan of `folder` has started.
  void showStarted(const QString& folder);
  void showSummary(const ScanSummary& summary);
  QLabel* titleLabel() const { return m_title; }
  QTreeView* problemsView() const { return m_problems; }

 Q_SIGNALS:
  /// The user opened the file or folder `path` of the list.
  void openRequested(const QString& path);

 private:
  ProblemModel* m_model;
  QLabel* m_title;
  QTreeView* m_problems;
  QLabel* m_notes;
};

}  // namespace kelvaron
