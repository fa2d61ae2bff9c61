// Arbitrary bytes through the bitmap reader, as a file ("BM" header) and as the header-less
// bitmap of an icon.
#include <cstddef>
#include <cstdint>

#include "base/bmp_size.h"
#include "picture_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckPictureSize(base::BmpPictureSize(data, size));
  // The same bytes without the 14-byte file header are what an icon holds.
  if (size >= 14) CheckPictureSize(base::IconBitmapSize(data + 14, size - 14));
  CheckPictureSize(base::IconBitmapSize(data, size));
  return 0;
}
