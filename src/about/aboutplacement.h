#pragma once
// Where the about window opens, as a pure function of the main window's
// geometry and the screen's size. All values are in twips (15 to a pixel).

#include <QPoint>
#include <QRect>
#include <QSize>

namespace kelvaron {

/// The top-left corner of the about window, `aboutWidth` twips wide, opened
/// beside `mainWindow` (its outer frame) on a screen of `screen` twips.
///
/// On a screen up to 1023 x 767 pixels (not wider than 15359 or not higher
/// than 11519 twips) it is the screen's corner (0, 0). Otherwise it shares the
/// main window's top and lies to its right, or, when that would pass the
/// screen's right edge, to its left, and never left of 0.
/// Example: main window (1500, 900, 8000 wide) on 19200 x 14400 gives (9500, 900).
QPoint aboutWindowPosition(const QRect& mainWindow, int aboutWidth, const QSize& screen);

}  // namespace kelvaron
