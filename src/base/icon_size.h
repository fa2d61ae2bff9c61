// Size of an icon (ICO) or cursor (CUR) file, read from its first image.
#pragma once

#include <cstddef>

#include "base/picture_size.h"

namespace base {

// Size of the first image of the icon or cursor in `data`, or 0 × 0 when that image does
// not decode.
PictureSize IconPictureSize(const unsigned char* data, std::size_t size);

}  // namespace base
