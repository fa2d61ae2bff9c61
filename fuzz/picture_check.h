// What every picture-size reader must give for any input: nothing (0 × 0), or a size with
// both sides at least 1 and no more pixels than any reader accepts.
#pragma once

#include <cstdint>

#include "base/byte_reader.h"
#include "base/picture_size.h"
#include "fuzz_check.h"

inline void CheckPictureSize(base::PictureSize size) {
  if (size.width == 0 && size.height == 0) return;
  FUZZ_CHECK(size.width >= 1 && size.height >= 1);
  FUZZ_CHECK(base::PictureSizeAllowed(static_cast<std::uint64_t>(size.width),
                                      static_cast<std::uint64_t>(size.height)));
}

inline bool SameSize(base::PictureSize a, base::PictureSize b) {
  return a.width == b.width && a.height == b.height;
}
