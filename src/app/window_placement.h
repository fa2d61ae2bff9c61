// Placement of the main window: centred at creation, later maximised to its monitor's work area.
#pragma once

#include <QRect>
#include <QSize>

class QScreen;

namespace app {

enum class PlacementMode : int {
  normal = 0,     // restored
  centred = 1,    // centred on the primary screen
  minimised = 2,
  maximised = 3,  // maximised to the work area of its monitor
};

// `outer` centred on `screen`: x = (screen width - outer width) / 2, y likewise, each
// truncated toward zero (negative when the screen is the smaller).
QRect CentredRect(QSize outer, const QRect& screen);

// The screen containing the centre of `window`, else the one nearest to it, else the primary
// screen; null only when there is no screen at all.
QScreen* ScreenNearest(const QRect& window);

}  // namespace app
