#pragma once
// Text colours that stay readable whatever the desktop theme puts behind them.

#include <QColor>
#include <QPalette>

namespace kelvaron::widgets {

/// The contrast ratio of two colours as the web's accessibility guidelines
/// define it, from 1 (same luminance) to 21 (black on white).
double contrastRatio(const QColor& a, const QColor& b);

/// `wanted` when it reaches `minimum` contrast on `background`; otherwise
/// `wanted` made lighter (on a dark background) or darker (on a light one),
/// keeping its hue, until it does. readableColour(blue, white) is blue;
/// readableColour(blue, dark grey) is a light blue.
QColor readableColour(const QColor& wanted, const QColor& background, double minimum = 4.5);

/// A dark desktop theme's palette (light text on dark grey, as dark themes
/// for Fusion set it), for the screenshots and tests of the dark look.
QPalette darkPalette();

}  // namespace kelvaron::widgets
