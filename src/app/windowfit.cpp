#include "app/windowfit.h"

namespace kelvaron {

bool windowFitApplies(Qt::WindowStates state) {
  return !(state & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

int fittedLeft(int left, int width, int screenWidth) {
  const float right = static_cast<float>(left) + static_cast<float>(width);
  return right > static_cast<float>(screenWidth) ? screenWidth - width : left;
}

}  // namespace kelvaron
