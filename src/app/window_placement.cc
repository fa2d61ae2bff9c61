#include "app/window_placement.h"

#include <limits>

#include <QGuiApplication>
#include <QScreen>

namespace app {
namespace {

// Squared distance from `point` to the nearest point of `rect`.
long long DistanceSquared(const QPoint& point, const QRect& rect) {
  const long long dx = point.x() < rect.left() ? rect.left() - point.x()
                       : point.x() > rect.right() ? point.x() - rect.right() : 0;
  const long long dy = point.y() < rect.top() ? rect.top() - point.y()
                       : point.y() > rect.bottom() ? point.y() - rect.bottom() : 0;
  return dx * dx + dy * dy;
}

}  // namespace

QRect CentredRect(QSize outer, const QRect& screen) {
  // Integer division truncates toward zero, also for a screen smaller than the window.
  const int x = screen.left() + (screen.width() - outer.width()) / 2;
  const int y = screen.top() + (screen.height() - outer.height()) / 2;
  return QRect(QPoint(x, y), outer);
}

QScreen* ScreenNearest(const QRect& window) {
  const QPoint centre = window.center();
  QScreen* nearest = nullptr;
  long long best = std::numeric_limits<long long>::max();
  for (QScreen* screen : QGuiApplication::screens()) {
    const long long distance = DistanceSquared(centre, screen->geometry());
    if (distance < best) {
      best = distance;
      nearest = screen;
    }
  }
  return nearest != nullptr ? nearest : QGuiApplication::primaryScreen();
}

}  // namespace app
