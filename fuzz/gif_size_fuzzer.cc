// Arbitrary bytes through the GIF reader: blocks, colour tables and the LZW walk.
#include <cstddef>
#include <cstdint>

#include "base/gif_size.h"
#include "picture_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckPictureSize(base::GifPictureSize(data, size));
  return 0;
}
