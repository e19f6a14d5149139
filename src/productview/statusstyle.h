#pragma once
// How a component's status looks wherever the window lists components: an
// icon and a text colour that stays readable on light and dark themes.

#include "bom/placement.h"

#include <QColor>
#include <QIcon>

namespace kelvaron::productview {

/// The icon that marks `status`; a null icon for ok.
QIcon statusIcon(bom::Status status);

/// The text colour of a row with `status` on `background`, with enough
/// contrast to read; an invalid colour for ok (the view's own text colour).
QColor statusColour(bom::Status status, const QColor& background);

/// statusColour on the application's current base colour.
QColor statusColour(bom::Status status);

}  // namespace kelvaron::productview
