#include "base/pcx_size.h"

#include <cstdint>

#include "base/byte_reader.h"

namespace base {
namespace {

// "Decodes" for a PCX picture: a known version (0, 2, 3, 4 or 5) with run-length encoding, a
// window with Xmin <= Xmax and Ymin <= Ymax, a bit depth and plane count that go together,
// BytesPerLine covering a row, and run-length data that yields BytesPerLine bytes for every
// plane of every row before the file ends (runs may cross row ends, as many writers emit
// them). A version-5 picture of one 8-bit plane must also end with its 256-colour palette,
// after the pixel data.

constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kPaletteBytes = 769;  // the marker 0x0C and 256 RGB triples

bool DepthAndPlanesFit(std::uint8_t bits, std::uint8_t planes) {
  switch (bits) {
    case 1:
      return planes >= 1 && planes <= 4;
    case 2:
    case 4:
      return planes == 1;
    case 8:
      return planes == 1 || planes == 3 || planes == 4;
    default:
      return false;
  }
}

// Walks the run-length data from the reader's position; true when it yields `needed` bytes.
bool RunLengthYields(ByteReader& reader, std::uint64_t needed) {
  std::uint64_t produced = 0;
  while (produced < needed) {
    std::uint8_t byte = 0;
    if (!reader.U8(byte)) return false;
    if ((byte & 0xC0) == 0xC0) {
      if (!reader.Skip(1)) return false;
      produced += byte & 0x3Fu;
    } else {
      ++produced;
    }
  }
  return true;
}

}  // namespace

PictureSize PcxPictureSize(const unsigned char* data, std::size_t size) {
  ByteReader reader(data, size);
  std::uint8_t manufacturer = 0;
  std::uint8_t version = 0;
  std::uint8_t encoding = 0;
  std::uint8_t bits = 0;
  std::uint16_t xMin = 0;
  std::uint16_t yMin = 0;
  std::uint16_t xMax = 0;
  std::uint16_t yMax = 0;
  std::uint8_t planes = 0;
  std::uint16_t bytesPerLine = 0;
  if (!reader.U8(manufacturer) || !reader.U8(version) || !reader.U8(encoding) ||
      !reader.U8(bits) || !reader.U16(xMin) || !reader.U16(yMin) || !reader.U16(xMax) ||
      !reader.U16(yMax) || !reader.Seek(65) || !reader.U8(planes) ||
      !reader.U16(bytesPerLine) || !reader.Seek(kHeaderSize)) {
    return {};
  }
  const bool knownVersion =
      version == 0 || version == 2 || version == 3 || version == 4 || version == 5;
  if (manufacturer != 0x0A || !knownVersion || encoding != 1 || !DepthAndPlanesFit(bits, planes) ||
      xMin > xMax || yMin > yMax) {
    return {};
  }
  const std::uint64_t width = std::uint64_t{xMax} - xMin + 1;
  const std::uint64_t height = std::uint64_t{yMax} - yMin + 1;
  if (!PictureSizeAllowed(width, height) || bytesPerLine < (width * bits + 7) / 8) return {};
  if (!RunLengthYields(reader, std::uint64_t{bytesPerLine} * planes * height)) return {};
  if (version == 5 && bits == 8 && planes == 1) {
    if (size - reader.Position() < kPaletteBytes || data[size - kPaletteBytes] != 0x0C) return {};
  }
  return {static_cast<int>(width), static_cast<int>(height)};
}

}  // namespace base
