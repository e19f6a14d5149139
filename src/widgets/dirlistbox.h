#pragma once
// The folder list of the browse and report-folder panels.

#include <QString>
#include <QTreeWidget>

namespace kelvaron::widgets {

/// Shows the current folder as the chain of its ancestors, root first and each
/// one indented below its parent, with the current folder marked, followed by
/// its subfolders (sorted without regard to case). Opening an entry (double
/// click or Enter) makes it the current folder.
///
/// Setting the path from code raises changed() before setPath() returns, the
/// same as a user's opening of an entry.
class DirListBox : public QTreeWidget {
  Q_OBJECT

 public:
  /// Item data role holding an entry's full folder path.
  static constexpr int PathRole = Qt::UserRole + 1;

  explicit DirListBox(QWidget* parent = nullptr);

  /// The current folder: "/" for the root, other folders without a closing
  /// separator.
  QString path() const;
  /// Makes the existing folder `path` current (a relative text is taken from
  /// the working folder). A missing folder leaves the list unchanged.
  void setPath(const QString& path);
  /// Lists the current folder's subfolders anew, without a change event.
  void refresh();

  /// The entry of the current folder.
  QTreeWidgetItem* currentFolderItem() const { return m_currentItem; }

 Q_SIGNALS:
  /// The current folder changed, from code or by the user.
  void changed();

 private:
  void rebuild();
  void openItem(QTreeWidgetItem* item);

  QString m_path;
  QTreeWidgetItem* m_currentItem = nullptr;
};

}  // namespace kelvaron::widgets
