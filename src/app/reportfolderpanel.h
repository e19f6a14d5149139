#pragma once
// The report folder panel: the folder the reports go to, typed or chosen.

#include <QString>
#include <QWidget>

class QLineEdit;
class QPushButton;

namespace kelvaron {

namespace widgets {
class DriveListBox;
class DirListBox;
}  // namespace widgets

class ReportFolderPanel : public QWidget {
  Q_OBJECT

 public:
  explicit ReportFolderPanel(QWidget* parent = nullptr);

  /// The report folder as typed or chosen.
  QString folder() const;
  void setFolder(const QString& folder);
  /// The folder the lists show (saved apart from the typed text).
  QString listFolder() const;
  void setListFolder(const QString& folder);
  QString drive() const;
  void setDrive(const QString& drive);
  QLineEdit* folderEdit() const { return m_edit; }

 Q_SIGNALS:
  /// OK, or Enter in the folder box.
  void done();

 private:
  QLineEdit* m_edit;
  widgets::DriveListBox* m_drives;
  widgets::DirListBox* m_folders;
  QPushButton* m_ok;
};

}  // namespace kelvaron
