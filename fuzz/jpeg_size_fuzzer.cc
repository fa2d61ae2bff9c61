// Arbitrary bytes through the JPEG reader (libjpeg under our error and limit handling).
#include <cstddef>
#include <cstdint>

#include "base/jpeg_size.h"
#include "picture_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckPictureSize(base::JpegPictureSize(data, size));
  return 0;
}
