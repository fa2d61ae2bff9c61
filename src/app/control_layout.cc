#include "app/control_layout.h"

#include <algorithm>

namespace app {

ControlPlaces LayOut(QSize client) {
  const int width = std::max(0, client.width() - 15);
  const int previewHeight = std::max(0, client.height() - 170);
  return ControlPlaces{
      QRect(kPreviewPlace.left(), 160, width, previewHeight),
      QRect(kImageListPlace.left(), kImageListPlace.top(), width, kImageListPlace.height()),
  };
}

}  // namespace app
