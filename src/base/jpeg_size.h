// Size of a JPEG picture, decoded with libjpeg.
#pragma once

#include <cstddef>

#include "base/picture_size.h"

namespace base {

// Width and height of the JPEG in `data`, or 0 × 0 when it does not decode to its end.
PictureSize JpegPictureSize(const unsigned char* data, std::size_t size);

}  // namespace base
