// Size of a PCX picture, read by our own decoder.
#pragma once

#include <cstddef>

#include "base/picture_size.h"

namespace base {

// Width and height of the PCX picture in `data`, or 0 × 0 when its header is invalid or
// its run-length data does not cover every row.
PictureSize PcxPictureSize(const unsigned char* data, std::size_t size);

}  // namespace base
