#pragma once
// The browse panel: a drive, a folder and its assembly files, the folder scan
// button and the cycle control that arms the scan for an hour of the day.

#include <QString>
#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace kelvaron {

namespace widgets {
class DriveListBox;
class DirListBox;
class FileListBox;
}  // namespace widgets

class BrowsePanel : public QWidget {
  Q_OBJECT

 public:
  explicit BrowsePanel(QWidget* parent = nullptr);

  /// The folder the lists show, which a folder scan searches.
  QString folder() const;
  /// Shows the existing folder `folder`; anything else changes nothing.
  void setFolder(const QString& folder);
  QString drive() const;
  void setDrive(const QString& drive);
  /// Selects `path` in the file list, moving the lists to its folder.
  void selectFile(const QString& path);

  /// The hour text of the cycle control ("keine" or two digits).
  QString hourText() const;
  void setHourText(const QString& text);
  /// Says what is armed beside the hour box; empty hides it.
  void setArmedText(const QString& text);
  /// While a scan runs, its button is disabled.
  void setScanning(bool scanning);

  widgets::FileListBox* fileList() const { return m_files; }
  QPushButton* scanButton() const { return m_scan; }
  QComboBox* hourBox() const { return m_hour; }

 Q_SIGNALS:
  /// The user clicked a file, or pressed Enter on it: its full path.
  void fileChosen(const QString& path);
  void scanRequested();
  void closeRequested();
  /// The user finished editing the hour box, with its text as typed.
  void hourEdited(const QString& text);
  void folderChanged(const QString& folder);

 private:
  widgets::DriveListBox* m_drives;
  widgets::DirListBox* m_folders;
  widgets::FileListBox* m_files;
  QLabel* m_folderLabel;
  QPushButton* m_scan;
  QPushButton* m_close;
  QGroupBox* m_cycle;
  QComboBox* m_hour;
  QLabel* m_armed;
};

}  // namespace kelvaron
