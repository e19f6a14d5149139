#include "about/aboutplacement.h"

namespace kelvaron {

QPoint aboutWindowPosition(const QRect& mainWindow, int aboutWidth, const QSize& screen) {
  if (screen.width() <= 15359 || screen.height() <= 11519) return {0, 0};
  const int top = mainWindow.y();
  if (mainWindow.x() + mainWindow.width() + aboutWidth > screen.width()) {
    const int left = mainWindow.x() - aboutWidth;
    return {left < 0 ? 0 : left, top};
  }
  return {mainWindow.x() + mainWindow.width(), top};
}

}  // namespace kelvaron
