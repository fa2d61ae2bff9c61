// Arbitrary bytes through the icon and cursor reader, and the bitmap or PNG inside.
#include <cstddef>
#include <cstdint>

#include "base/icon_size.h"
#include "picture_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckPictureSize(base::IconPictureSize(data, size));
  return 0;
}
