#pragma once
// The result of the analysis: the heading line as the title, the parts in a
// view, the reader's details, and the button that copies a name. Other views
// of the same file can take the list's place (addView, showView).

#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;
class QStackedWidget;
class QTreeView;

namespace kelvaron {

class ResultModel;

class ResultPanel : public QWidget {
  Q_OBJECT

 public:
  explicit ResultPanel(ResultModel* model, QWidget* parent = nullptr);

  /// The list of parts ("parts of the assembly").
  QTreeView* partsView() const { return m_parts; }
  /// Adds a view that can take the list's place; the panel takes it over.
  void addView(QWidget* view);
  /// Shows `view` (the list or one added before) in the result's place.
  void showView(QWidget* view);
  QWidget* currentView() const;

  /// The reader's notes on the file shown; empty hides the line.
  void setDetails(const QString& details);
  QPushButton* copyButton() const { return m_copy; }
  /// The name on the copy button, copied by its click; empty when none.
  const QString& copyName() const { return m_copyName; }
  /// Puts `name` on the copy button: the line selected in whichever view is shown.
  void offerName(const QString& name);

 private:
  void onSelection();
  void onReset();

  ResultModel* m_model;
  QLabel* m_title;
  QStackedWidget* m_views;
  QTreeView* m_parts;
  QLabel* m_details;
  QPushButton* m_copy;
  QString m_copyName;
};

}  // namespace kelvaron
