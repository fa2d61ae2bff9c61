// Pixel size of pictures, typed by their leading bytes, never by name.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/text.h"

namespace base {

struct PictureSize {
  int width = 0;
  int height = 0;
};

// Size of the picture in `data` (JPEG, PNG, BMP, GIF, icon, cursor or PCX). A picture counts
// only when its data decodes: under 6 bytes, another type, or a header whose data is
// truncated or corrupt gives 0 × 0. Never crashes, hangs or allocates without bound.
PictureSize DecodePictureSize(const unsigned char* data, std::size_t size);

// Width and height of the picture in the file at `path`; 0 for a missing file or anything
// DecodePictureSize rejects. Each reads the file by itself; the height reuses the width's
// decode only when the bytes read are exactly the same.
int ImageWidth(const Text& path);
int ImageHeight(const Text& path);

}  // namespace base
