#pragma once
// The drive list of the browse and report-folder panels.

#include <QComboBox>
#include <QString>
#include <QStringList>

namespace kelvaron::widgets {

/// A drop-down of the places a user starts browsing from. On POSIX these are
/// "/", the home folder and the mounted volumes; each entry's text is its root
/// path. On Windows they are the drive roots ("C:/").
///
/// Setting the drive from code raises changed() before setDrive() returns, the
/// same as a user's pick, so a connected folder list follows at once.
class DriveListBox : public QComboBox {
  Q_OBJECT

 public:
  explicit DriveListBox(QWidget* parent = nullptr);

  /// The current entry's root path, such as "/" or "/media/usb".
  QString drive() const;
  /// Selects the entry that holds `text`: an entry's own text, or any existing
  /// folder, which selects the entry whose root is its longest leading part
  /// (a folder below the home folder selects the home entry). Anything else
  /// leaves the list unchanged.
  void setDrive(const QString& text);

  /// The entries' root paths, in list order.
  QStringList drives() const;

  /// The entry that holds `folder` among `roots`: the longest root that is
  /// `folder` itself or one of its leading folders; -1 when none is.
  static int indexOfRootFor(const QStringList& roots, const QString& folder);

 Q_SIGNALS:
  /// The current drive changed, from code or by the user.
  void changed();

 protected:
  void showPopup() override;

 private:
  void fillEntries();
};

}  // namespace kelvaron::widgets
