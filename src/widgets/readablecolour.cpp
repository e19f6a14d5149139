#include "widgets/readablecolour.h"

#include <algorithm>
#include <cmath>

namespace kelvaron::widgets {
namespace {

double luminance(const QColor& colour) {
  auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
  return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
}

}  // namespace

double contrastRatio(const QColor& a, const QColor& b) {
  const double la = luminance(a);
  const double lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableColour(const QColor& wanted, const QColor& background, double minimum) {
  const bool darkBackground = luminance(background) < 0.18;
  QColor colour = wanted.toHsl();
  // Lightness in small steps: the first that is readable stays closest to the wanted colour.
  for (int step = 0; step <= 100 && contrastRatio(colour, background) < minimum; ++step) {
    const float lightness = std::clamp(colour.lightnessF() + (darkBackground ? 0.01f : -0.01f), 0.0f, 1.0f);
    colour.setHslF(colour.hslHueF(), colour.hslSaturationF(), lightness);
  }
  return colour.toRgb();
}

QPalette darkPalette() {
  const QColor window(53, 53, 53);
  const QColor base(35, 35, 35);
  const QColor text(230, 230, 230);
  QPalette palette(window);
  palette.setColor(QPalette::Window, window);
  palette.setColor(QPalette::WindowText, text);
  palette.setColor(QPalette::Base, base);
  palette.setColor(QPalette::AlternateBase, window);
  palette.setColor(QPalette::Text, text);
  palette.setColor(QPalette::Button, window);
  palette.setColor(QPalette::ButtonText, text);
  palette.setColor(QPalette::ToolTipBase, base);
  palette.setColor(QPalette::ToolTipText, text);
  palette.setColor(QPalette::Highlight, QColor(42, 130, 218));
  palette.setColor(QPalette::HighlightedText, Qt::white);
  palette.setColor(QPalette::Link, QColor(100, 170, 255));
  palette.setColor(QPalette::PlaceholderText, QColor(150, 150, 150));
  for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    palette.setColor(QPalette::Disabled, role, QColor(127, 127, 127));
  return palette;
}

}  // namespace kelvaron::widgets
