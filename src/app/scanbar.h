#pragma once
// The strip that shows a running folder scan whatever else the window shows:
// its progress and the control that stops it.

#include <QWidget>

class QLabel;
class QProgressBar;
class QToolButton;

namespace kelvaron {

struct ScanProgress;

class ScanBar : public QWidget {
  Q_OBJECT

 public:
  explicit ScanBar(QWidget* parent = nullptr);

  /// Shows the counts: while searching "found N", then "analysed N of M",
  /// each with the rate and the failures.
  void setProgress(const ScanProgress& progress);
  QToolButton* stopButton() const { return m_stop; }
  QLabel* countsLabel() const { return m_counts; }

 Q_SIGNALS:
  void stopClicked();

 private:
  QProgressBar* m_bar;
  QLabel* m_counts;
  QToolButton* m_stop;
};

/// The counts line of `progress`, such as "analysed 900 of 1,234 · 450 files/s · 2 failures".
QString progressText(const ScanProgress& progress);

}  // namespace kelvaron
