// Size of a GIF picture, read by our own decoder.
#pragma once

#include <cstddef>

#include "base/picture_size.h"

namespace base {

// The logical screen size of the GIF in `data`, or 0 × 0 when its first image does not
// decode.
PictureSize GifPictureSize(const unsigned char* data, std::size_t size);

}  // namespace base
