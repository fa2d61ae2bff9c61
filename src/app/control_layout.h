// Where the preview and the image list go for a given client area.
#pragma once

#include <QRect>
#include <QSize>

namespace app {

// Design places within the client area of the 931 x 799 window.
inline constexpr QSize kDesignWindowSize{931, 799};
inline constexpr QRect kAddressLabelPlace{10, 3, 56, 32};
inline constexpr QRect kAddressBoxPlace{65, 7, 516, 24};
inline constexpr QRect kCollectButtonPlace{589, 7, 100, 24};
inline constexpr QRect kSaveAllButtonPlace{696, 7, 100, 24};
inline constexpr QRect kHelpButtonPlace{803, 7, 100, 24};
inline constexpr QRect kImageListPlace{8, 40, 896, 112};
inline constexpr QRect kPreviewPlace{8, 160, 900, 600};

struct ControlPlaces {
  QRect preview;
  QRect imageList;
};

// The preview at (8, 160) sized client width - 15 by client height - 170, the list at (8, 40)
// sized client width - 15 by 112; a negative width or height becomes 0.
ControlPlaces LayOut(QSize client);

}  // namespace app
