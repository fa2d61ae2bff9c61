// Size of a PNG picture, decoded with libpng.
#pragma once

#include <cstddef>

#include "base/picture_size.h"

namespace base {

// True when `data` begins with the PNG signature.
bool HasPngSignature(const unsigned char* data, std::size_t size);

// Width and height of the PNG in `data`, or 0 × 0 when it does not decode to its end.
PictureSize PngPictureSize(const unsigned char* data, std::size_t size);

}  // namespace base
