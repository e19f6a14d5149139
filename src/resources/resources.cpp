#include "resources/resources.h"

#include <QPixmap>

// Q_INIT_RESOURCE names a function of the global namespace.
static void registerKelvaronPictures() { Q_INIT_RESOURCE(kelvaron); }

namespace kelvaron::resources {

void initResources() {
  static const bool registered = (registerKelvaronPictures(), true);
  (void)registered;
}

QIcon windowIcon() {
  initResources();
  QIcon icon;
  for (int size : {16, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/kelvaron/kelvaron_%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

QCursor linkCursor() {
  initResources();
  return QCursor(QPixmap(kLinkCursor), 12, 1);
}

QCursor stopCursor() {
  initResources();
  return QCursor(QPixmap(kStopCursor), 16, 16);
}

}  // namespace kelvaron::resources
