#include "base/bmp_size.h"

#include <algorithm>
#include <cstdint>

#include "base/byte_reader.h"

namespace base {
namespace {

// "Decodes" for a bitmap: the info header is one we know (the 12-byte core header or the
// 40-byte header and its 52/56/108/124-byte extensions), planes is 1, the bit depth and the
// compression go together, the colour table and bit-field masks lie inside the data, and the
// pixel data is all there: every row of an uncompressed or bit-field picture (the last row
// may lack its padding), or a run-length stream that stays inside the picture and ends with
// its end-of-bitmap code or the end of the last row before the data runs out. Runs that
// spill past the right edge are clipped, as common decoders do; a jump past the picture is
// corrupt.

enum Compression : std::uint32_t {
  kRgb = 0,
  kRle8 = 1,
  kRle4 = 2,
  kBitFields = 3,
  kAlphaBitFields = 6,
};

constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;

struct DibHeader {
  std::uint32_t headerSize = 0;
  std::uint64_t width = 0;
  std::uint64_t height = 0;  // the magnitude; topDown says which way rows run
  bool topDown = false;
  std::uint16_t bitCount = 0;
  std::uint32_t compression = kRgb;
  std::uint64_t tableBytes = 0;  // masks and colour table between the header and the pixels
};

bool KnownInfoHeaderSize(std::uint32_t size) {
  return size == kInfoHeaderSize || size == 52 || size == 56 || size == 108 || size == 124;
}

bool DepthFitsCompression(std::uint16_t bits, std::uint32_t compression) {
  switch (compression) {
    case kRgb:
      return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case kRle8:
      return bits == 8;
    case kRle4:
      return bits == 4;
    case kBitFields:
    case kAlphaBitFields:
      return bits == 16 || bits == 32;
    default:
      return false;  // embedded JPEG/PNG and unknown schemes
  }
}

// Reads the info header at the start of `data` and checks that it and the masks and colour
// table after it are present and consistent. False for anything unknown or invalid.
bool ReadDibHeader(const unsigned char* data, std::size_t size, DibHeader& header) {
  ByteReader reader(data, size);
  if (!reader.U32(header.headerSize)) return false;
  std::uint16_t planes = 0;
  if (header.headerSize == kCoreHeaderSize) {
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    if (!reader.U16(width) || !reader.U16(height) || !reader.U16(planes) ||
        !reader.U16(header.bitCount)) {
      return false;
    }
    if (header.bitCount != 1 && header.bitCount != 4 && header.bitCount != 8 &&
        header.bitCount != 24) {
      return false;
    }
    header.width = width;
    header.height = height;
    if (header.bitCount <= 8) header.tableBytes = 3u << header.bitCount;
  } else if (KnownInfoHeaderSize(header.headerSize)) {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint32_t imageSize = 0;
    std::uint32_t colorsUsed = 0;
    if (!reader.I32(width) || !reader.I32(height) || !reader.U16(planes) ||
        !reader.U16(header.bitCount) || !reader.U32(header.compression) ||
        !reader.U32(imageSize) || !reader.Skip(8) || !reader.U32(colorsUsed)) {
      return false;
    }
    if (width <= 0 || height == 0 || height == INT32_MIN) return false;
    header.width = static_cast<std::uint64_t>(width);
    header.topDown = height < 0;
    header.height = static_cast<std::uint64_t>(height < 0 ? -static_cast<std::int64_t>(height)
                                                          : height);
    if (!DepthFitsCompression(header.bitCount, header.compression)) return false;
    // Run-length data always runs bottom-up.
    if (header.topDown && (header.compression == kRle8 || header.compression == kRle4)) {
      return false;
    }
    if (header.bitCount <= 8) {
      const std::uint32_t maxColors = 1u << header.bitCount;
      if (colorsUsed > maxColors) return false;
      header.tableBytes = 4ull * (colorsUsed != 0 ? colorsUsed : maxColors);
    }
    const bool bitFields =
        header.compression == kBitFields || header.compression == kAlphaBitFields;
    if (bitFields) {
      // The 40-byte header keeps its masks after itself; the longer ones hold them inside.
      std::uint64_t masksAt = header.headerSize;
      if (header.headerSize == kInfoHeaderSize) {
        header.tableBytes = header.compression == kAlphaBitFields ? 16 : 12;
      } else {
        masksAt = kInfoHeaderSize;
      }
      ByteReader masks(data, size);
      std::uint32_t red = 0;
      std::uint32_t green = 0;
      std::uint32_t blue = 0;
      if (!masks.Seek(masksAt) || !masks.U32(red) || !masks.U32(green) || !masks.U32(blue)) {
        return false;
      }
      if (header.bitCount == 16 && ((red | green | blue) >> 16) != 0) return false;
    }
  } else {
    return false;
  }
  if (planes != 1 || !PictureSizeAllowed(header.width, header.height)) return false;
  return header.headerSize + header.tableBytes <= size;
}

std::uint64_t RowStride(std::uint64_t width, std::uint16_t bitCount) {
  return (width * bitCount + 31) / 32 * 4;
}

// True when `available` bytes hold `height` rows of `stride`, the last one possibly
// without its padding.
bool RowsPresent(std::uint64_t available, std::uint64_t width, std::uint64_t height,
                 std::uint16_t bitCount) {
  const std::uint64_t needed =
      RowStride(width, bitCount) * (height - 1) + (width * bitCount + 7) / 8;
  return needed <= available;
}

// Walks an RLE8 or RLE4 stream: true when it reaches its end-of-bitmap code or the end of
// the last row inside the picture before the data runs out.
bool RunLengthDecodes(ByteReader reader, std::uint64_t width, std::uint64_t height,
                      bool fourBit) {
  std::uint64_t x = 0;
  std::uint64_t y = 0;
  while (true) {
    std::uint8_t count = 0;
    std::uint8_t value = 0;
    if (!reader.U8(count) || !reader.U8(value)) return false;
    if (count != 0) {  // a run of `count` pixels
      x = std::min(x + count, width);
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        if (++y == height) return true;
        break;
      case 1:  // end of bitmap
        return true;
      case 2: {  // jump right and up
        std::uint8_t dx = 0;
        std::uint8_t dy = 0;
        if (!reader.U8(dx) || !reader.U8(dy)) return false;
        x += dx;
        y += dy;
        if (x > width || y >= height) return false;
        break;
      }
      default: {  // `value` literal pixels, padded to a 16-bit boundary
        std::uint64_t bytes = fourBit ? (value + 1u) / 2 : value;
        bytes += bytes & 1;
        if (!reader.Skip(bytes)) return false;
        x = std::min(x + value, width);
        break;
      }
    }
  }
}

}  // namespace

PictureSize BmpPictureSize(const unsigned char* data, std::size_t size) {
  constexpr std::size_t kFileHeaderSize = 14;
  ByteReader reader(data, size);
  std::uint8_t b = 0;
  std::uint8_t m = 0;
  std::uint32_t pixelOffset = 0;
  if (!reader.U8(b) || !reader.U8(m) || b != 'B' || m != 'M' || !reader.Skip(8) ||
      !reader.U32(pixelOffset)) {
    return {};
  }
  DibHeader header;
  if (!ReadDibHeader(data + kFileHeaderSize, size - kFileHeaderSize, header)) return {};
  if (pixelOffset < kFileHeaderSize + header.headerSize || !reader.Seek(pixelOffset)) return {};

  bool decodes = false;
  if (header.compression == kRle8 || header.compression == kRle4) {
    decodes = RunLengthDecodes(reader, header.width, header.height, header.compression == kRle4);
  } else {
    decodes = RowsPresent(reader.Remaining(), header.width, header.height, header.bitCount);
  }
  if (!decodes) return {};
  return {static_cast<int>(header.width), static_cast<int>(header.height)};
}

PictureSize IconBitmapSize(const unsigned char* data, std::size_t size) {
  DibHeader header;
  if (!ReadDibHeader(data, size, header)) return {};
  if (header.topDown || (header.compression != kRgb && header.compression != kBitFields)) {
    return {};
  }
  const std::uint64_t height = header.height / 2;  // colour rows, then as many mask rows
  if (height == 0) return {};
  const std::uint64_t pixelOffset = header.headerSize + header.tableBytes;
  const std::uint64_t colorBytes = RowStride(header.width, header.bitCount) * height;
  const std::uint64_t available = size - pixelOffset;
  // 32-bit icons carry their transparency in the alpha channel; their mask may be missing.
  const bool maskPresent = colorBytes <= available &&
                           RowsPresent(available - colorBytes, header.width, height, 1);
  if (header.bitCount == 32 ? !RowsPresent(available, header.width, height, 32) : !maskPresent) {
    return {};
  }
  return {static_cast<int>(header.width), static_cast<int>(height)};
}

}  // namespace base
