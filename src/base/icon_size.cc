#include "base/icon_size.h"

#include <cstdint>

#include "base/bmp_size.h"
#include "base/byte_reader.h"
#include "base/png_size.h"

namespace base {

// "Decodes" for an icon or cursor: the directory is complete up to its first entry, that
// entry's image lies inside the file, and the image is either a PNG that decodes (its own
// size is reported, since a directory byte cannot express sides over 256) or a header-less
// bitmap whose colour and mask rows are all present (the directory's size is reported, a
// byte of 0 meaning 256).
PictureSize IconPictureSize(const unsigned char* data, std::size_t size) {
  ByteReader reader(data, size);
  std::uint16_t reserved = 0;
  std::uint16_t type = 0;
  std::uint16_t count = 0;
  std::uint8_t width = 0;
  std::uint8_t height = 0;
  std::uint32_t imageBytes = 0;
  std::uint32_t imageOffset = 0;
  if (!reader.U16(reserved) || !reader.U16(type) || !reader.U16(count) || reserved != 0 ||
      (type != 1 && type != 2) || count == 0) {
    return {};
  }
  // Entry: width, height, colour count, reserved, two 16-bit fields (planes and bit depth
  // for an icon, the hot spot for a cursor), image size, image offset.
  if (!reader.U8(width) || !reader.U8(height) || !reader.Skip(6) || !reader.U32(imageBytes) ||
      !reader.U32(imageOffset)) {
    return {};
  }
  if (std::uint64_t{imageOffset} + imageBytes > size) return {};
  const unsigned char* image = data + imageOffset;

  if (HasPngSignature(image, imageBytes)) return PngPictureSize(image, imageBytes);
  if (IconBitmapSize(image, imageBytes).width == 0) return {};
  return {width == 0 ? 256 : width, height == 0 ? 256 : height};
}

}  // namespace base
