// Arbitrary bytes through the PNG reader (libpng row by row under our limits).
#include <cstddef>
#include <cstdint>

#include "base/png_size.h"
#include "picture_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckPictureSize(base::PngPictureSize(data, size));
  return 0;
}
