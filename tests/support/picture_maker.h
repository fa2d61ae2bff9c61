// Sample pictures made on the fly for tests, the demo and the benchmarks.
#pragma once

#include <cstdint>

#include "base/text.h"

namespace support {

enum class JpegMode { colour, grey, progressive };

// A width × height picture of a noisy gradient, so JPEG sizes resemble real photos.
// `seed` varies the content.
base::ByteBuffer MakeJpeg(int width, int height, int quality = 85, std::uint32_t seed = 1,
                          JpegMode mode = JpegMode::colour);
base::ByteBuffer MakePng(int width, int height, std::uint32_t seed = 1);
// 8-bit GIF whose image covers the whole logical screen.
base::ByteBuffer MakeGif(int width, int height, std::uint32_t seed = 1);
// Uncompressed 24-bit bottom-up BMP.
base::ByteBuffer MakeBmp(int width, int height, std::uint32_t seed = 1);

// Appends `value` in little-endian byte order, as picture headers store it.
void PutLittle16(base::ByteBuffer& out, std::uint32_t value);
void PutLittle32(base::ByteBuffer& out, std::uint32_t value);

}  // namespace support
