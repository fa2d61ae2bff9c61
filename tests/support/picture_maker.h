// Sample pictures made on the fly for tests, the demo and the benchmarks.
#pragma once

#include <cstdint>

#include "base/text.h"

namespace support {

// A width × height picture of a noisy gradient, so JPEG sizes resemble real photos.
// `seed` varies the content.
base::ByteBuffer MakeJpeg(int width, int height, int quality = 85, std::uint32_t seed = 1);
base::ByteBuffer MakePng(int width, int height, std::uint32_t seed = 1);
// 8-bit GIF whose image covers the whole logical screen.
base::ByteBuffer MakeGif(int width, int height, std::uint32_t seed = 1);
// Uncompressed 24-bit bottom-up BMP.
base::ByteBuffer MakeBmp(int width, int height, std::uint32_t seed = 1);

}  // namespace support
