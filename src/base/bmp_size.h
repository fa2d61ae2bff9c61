// Size of a Windows bitmap, read by our own decoder.
#pragma once

#include <cstddef>

#include "base/picture_size.h"

namespace base {

// Width and height of the bitmap file ("BM" header) in `data`, or 0 × 0 when its pixel
// data is missing, short or corrupt.
PictureSize BmpPictureSize(const unsigned char* data, std::size_t size);

// Size of a header-less bitmap as stored inside an icon or cursor: an info header whose
// height counts the colour rows and the 1-bit mask rows together. Reports the picture's
// height (half that), or 0 × 0 when the colour or mask rows are not all present.
PictureSize IconBitmapSize(const unsigned char* data, std::size_t size);

}  // namespace base
