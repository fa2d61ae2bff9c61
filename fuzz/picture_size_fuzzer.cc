// Arbitrary bytes through DecodePictureSize: the type is chosen by the leading bytes, and
// the answer must be the chosen reader's own.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "base/bmp_size.h"
#include "base/gif_size.h"
#include "base/icon_size.h"
#include "base/jpeg_size.h"
#include "base/pcx_size.h"
#include "base/picture_size.h"
#include "base/png_size.h"
#include "picture_check.h"

namespace {

bool StartsWith(const std::uint8_t* data, std::size_t size, const char* prefix,
                std::size_t length) {
  return size >= length && std::memcmp(data, prefix, length) == 0;
}

// The reader the leading bytes name, run directly; 0 × 0 for anything else.
base::PictureSize ReaderOwnSize(const std::uint8_t* data, std::size_t size) {
  if (size < 6) return {};
  if (StartsWith(data, size, "\xFF\xD8\xFF", 3)) return base::JpegPictureSize(data, size);
  if (StartsWith(data, size, "\x89PNG\r\n\x1A\n", 8)) return base::PngPictureSize(data, size);
  if (StartsWith(data, size, "BM", 2)) return base::BmpPictureSize(data, size);
  if (StartsWith(data, size, "GIF8", 4)) return base::GifPictureSize(data, size);
  if (StartsWith(data, size, "\0\0\1\0", 4) || StartsWith(data, size, "\0\0\2\0", 4)) {
    return base::IconPictureSize(data, size);
  }
  if (data[0] == 0x0A) return base::PcxPictureSize(data, size);
  return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const base::PictureSize decoded = base::DecodePictureSize(data, size);
  CheckPictureSize(decoded);
  FUZZ_CHECK(SameSize(decoded, ReaderOwnSize(data, size)));
  return 0;
}
