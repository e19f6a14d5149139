#pragma once
// The file list of the browse panel.

#include <QListWidget>
#include <QString>

namespace kelvaron::widgets {

/// Shows the files (not folders) of one folder whose names match a wildcard
/// pattern (see wildcard.h; several patterns may be joined by ";"), sorted
/// without regard to case.
///
/// A click on a file, or Enter on the selected one, raises clicked(); moving
/// the selection with the keyboard or from code does not. Moving the list to another folder from code raises
/// pathChanged() before the setter returns.
class FileListBox : public QListWidget {
  Q_OBJECT

 public:
  /// Item data role holding an entry's file name exactly as on disk.
  static constexpr int NameRole = Qt::UserRole + 1;

  explicit FileListBox(QWidget* parent = nullptr);

  /// The wildcard pattern, "*.*" (every file) at first.
  QString pattern() const;
  void setPattern(const QString& pattern);

  /// The listed folder: "/" for the root, others without a closing separator.
  QString path() const;
  /// Lists the existing folder `path`; a missing folder changes nothing.
  void setPath(const QString& path);

  /// The selected file's bare name; empty when nothing is selected.
  QString fileName() const;
  /// A folder path moves the list to that folder. A file path moves it to the
  /// file's folder and selects the file when the list shows it (otherwise
  /// nothing is selected). A bare name selects that file of the current list.
  void setFileName(const QString& fileName);

  /// Lists the folder anew, keeping the selected file where it is still shown.
  void refresh();

 Q_SIGNALS:
  /// The listed folder changed.
  void pathChanged();
  /// The user clicked a file, or pressed Enter on the selected one.
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void rebuild();
  void selectName(const QString& name);

  QString m_pattern = QStringLiteral("*.*");
  QString m_path;
  bool m_fromCode = false;   // selection changes made by this class
  bool m_mouseDown = false;  // a mouse press is in progress
  bool m_doubleClick = false;
  int m_rowAtPress = -1;
};

}  // namespace kelvaron::widgets
