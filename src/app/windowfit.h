#pragma once
// The window-fit rule of the main window, as pure functions.

#include <Qt>

namespace kelvaron {

/// The width the window-fit rule gives the main window, in twips.
inline constexpr int kFitWidth = 8000;

/// The rule touches the window only in its normal state (neither minimised,
/// maximised nor full screen).
bool windowFitApplies(Qt::WindowStates state);

/// The window's new left edge (twips from the screen's left edge) once its
/// width is `width`: unchanged while left + width, summed in single
/// precision, stays within `screenWidth`, else screenWidth - width, so the
/// window ends at the screen's right edge. fittedLeft(2000, 8000, 9000) == 1000
int fittedLeft(int left, int width, int screenWidth);

}  // namespace kelvaron
