#include "widgets/drivelistbox.h"

#include <QDir>
#include <QStorageInfo>

#include "platform/filekind.h"
#include "platform/folderpaths.h"
#include "platform/nativepath.h"

namespace kelvaron::widgets {

using namespace kelvaron::platform;

namespace {

#ifndef Q_OS_WIN
// Kernel and runtime file systems that hold no user files. Removable media
// mounted below /run/media stay in the list.
bool isSystemMount(const QString& root) {
  static const QStringList hidden{"/proc", "/sys", "/dev", "/run", "/snap", "/boot/efi"};
  if (root.startsWith(QLatin1String("/run/media/"))) return false;
  for (const QString& prefix : hidden) {
    if (root == prefix || root.startsWith(prefix + u'/')) return true;
  }
  return false;
}
#endif

QStringList currentRoots() {
  QStringList roots;
  auto add = [&roots](const QString& root) {
    const QString clean = cleanFolderPath(root);
    if (!clean.isEmpty() && !roots.contains(clean)) roots.append(clean);
  };
#ifdef Q_OS_WIN
  for (const QFileInfo& drive : QDir::drives()) add(drive.absoluteFilePath());
#else
  add(QStringLiteral("/"));
  add(QDir::homePath());
  QStringList volumes;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!volume.isValid() || !volume.isReady()) continue;
    const QString root = cleanFolderPath(volume.rootPath());
    if (root.isEmpty() || isSystemMount(root)) continue;
    volumes.append(root);
  }
  volumes.sort(Qt::CaseInsensitive);
  for (const QString& root : volumes) add(root);
#endif
  return roots;
}

}  // namespace

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  fillEntries();
  // A user's pick and a change from code both arrive here, synchronously.
  connect(this, &QComboBox::currentIndexChanged, this, [this] { Q_EMIT changed(); });
}

QString DriveListBox::drive() const { return currentData().toString(); }

QStringList DriveListBox::drives() const {
  QStringList roots;
  for (int i = 0; i < count(); ++i) roots.append(itemData(i).toString());
  return roots;
}

void DriveListBox::setDrive(const QString& text) {
  const QString folder = cleanFolderPath(text);
  if (folder.isEmpty() || !isFolder(folder)) return;
  int index = indexOfRootFor(drives(), folder);
  if (index < 0) {
    // A volume mounted since the list was filled.
    fillEntries();
    index = indexOfRootFor(drives(), folder);
  }
  if (index >= 0) setCurrentIndex(index);
}

int DriveListBox::indexOfRootFor(const QStringList& roots, const QString& folder) {
  int best = -1;
  qsizetype bestLength = -1;
  for (int i = 0; i < roots.size(); ++i) {
    const QString& root = roots[i];
    if (root.size() > bestLength && folderIsWithin(folder, root)) {
      best = i;
      bestLength = root.size();
    }
  }
  return best;
}

void DriveListBox::showPopup() {
  fillEntries();
  QComboBox::showPopup();
}

void DriveListBox::fillEntries() {
  const QStringList roots = currentRoots();
  if (roots == drives()) return;
  const QString current = drive();
  {
    // Refilling keeps the current drive; it is no change of the value.
    const QSignalBlocker blocker(this);
    clear();
    for (const QString& root : roots) addItem(displayPath(root), root);
    const int index = roots.indexOf(current);
    setCurrentIndex(index >= 0 ? index : 0);
  }
  if (!current.isEmpty() && drive() != current) Q_EMIT changed();
}

}  // namespace kelvaron::widgets
