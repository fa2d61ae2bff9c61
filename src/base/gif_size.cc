#include "base/gif_size.h"

#include <cstdint>
#include <cstring>

#include "base/byte_reader.h"

namespace base {
namespace {

// "Decodes" for a GIF: the header, the colour tables and every block before the first image
// are complete, and the first image's LZW stream (minimum code size 2 to 8) uses only codes
// that are defined when they appear and yields at least that image's width × height pixels,
// with its data sub-blocks present up to their terminator. What follows the first image is
// not read. The size reported is the logical screen's; a screen with a zero side takes the
// first image's size, as browsers do.

constexpr int kMaxCodeBits = 12;
constexpr int kTableSize = 1 << kMaxCodeBits;

// The bytes of a chain of data sub-blocks, in order.
class SubBlocks {
 public:
  explicit SubBlocks(ByteReader& reader) : reader_(reader) {}

  // The next data byte; false at the terminator or when the data runs out (see truncated()).
  bool Next(std::uint8_t& byte) {
    while (left_ == 0) {
      if (ended_) return false;
      if (!reader_.U8(left_)) return Stop();
      if (left_ == 0) {
        ended_ = true;
        return false;
      }
      if (reader_.Remaining() < left_) return Stop();
    }
    --left_;
    return reader_.U8(byte);
  }

  // Skips to just past the terminator; false when the data runs out first.
  bool SkipToEnd() {
    std::uint8_t byte = 0;
    while (Next(byte)) {
    }
    return !truncated_;
  }

 private:
  bool Stop() {
    ended_ = true;
    truncated_ = true;
    return false;
  }

  ByteReader& reader_;
  std::uint8_t left_ = 0;
  bool ended_ = false;
  bool truncated_ = false;
};

// Runs the LZW decoder over the image data, counting pixels without storing them: true when
// the codes are valid and give at least `pixelsNeeded` pixels before the end code or the
// end of the data.
bool LzwYields(SubBlocks& blocks, int minCodeSize, std::uint64_t pixelsNeeded) {
  const int clearCode = 1 << minCodeSize;
  const int endCode = clearCode + 1;
  std::uint16_t length[kTableSize];  // pixels each code stands for
  for (int code = 0; code < clearCode; ++code) length[code] = 1;

  int codeSize = minCodeSize + 1;
  int nextCode = clearCode + 2;
  int previous = -1;
  std::uint32_t bits = 0;
  int bitCount = 0;
  std::uint64_t pixels = 0;
  while (pixels < pixelsNeeded) {
    while (bitCount < codeSize) {
      std::uint8_t byte = 0;
      if (!blocks.Next(byte)) return false;
      bits |= static_cast<std::uint32_t>(byte) << bitCount;
      bitCount += 8;
    }
    const int code = static_cast<int>(bits & ((1u << codeSize) - 1));
    bits >>= codeSize;
    bitCount -= codeSize;

    if (code == clearCode) {
      codeSize = minCodeSize + 1;
      nextCode = clearCode + 2;
      previous = -1;
      continue;
    }
    if (code == endCode) return false;
    // A code may name an existing entry, or (the KwKwK case) the entry about to be added,
    // which needs a previous code.
    if (code > nextCode || (code == nextCode && previous < 0)) return false;
    const int codeLength = code == nextCode ? length[previous] + 1 : length[code];
    if (previous >= 0 && nextCode < kTableSize) {
      length[nextCode] = static_cast<std::uint16_t>(length[previous] + 1);
      ++nextCode;
      if (nextCode == (1 << codeSize) && codeSize < kMaxCodeBits) ++codeSize;
    }
    pixels += static_cast<std::uint64_t>(codeLength);
    previous = code;
  }
  return true;
}

bool SkipColorTable(ByteReader& reader, std::uint8_t flags) {
  if ((flags & 0x80) == 0) return true;
  return reader.Skip(3u << ((flags & 7) + 1));
}

}  // namespace

PictureSize GifPictureSize(const unsigned char* data, std::size_t size) {
  if (size < 6 || (std::memcmp(data, "GIF87a", 6) != 0 && std::memcmp(data, "GIF89a", 6) != 0)) {
    return {};
  }
  ByteReader reader(data, size);
  std::uint16_t screenWidth = 0;
  std::uint16_t screenHeight = 0;
  std::uint8_t flags = 0;
  if (!reader.Skip(6) || !reader.U16(screenWidth) || !reader.U16(screenHeight) ||
      !reader.U8(flags) || !reader.Skip(2) || !SkipColorTable(reader, flags)) {
    return {};
  }
  while (true) {
    std::uint8_t introducer = 0;
    if (!reader.U8(introducer)) return {};
    if (introducer == 0x21) {  // extension: a label, then sub-blocks
      SubBlocks blocks(reader);
      if (!reader.Skip(1) || !blocks.SkipToEnd()) return {};
      continue;
    }
    if (introducer != 0x2C) return {};  // the trailer before any image, or garbage

    std::uint16_t imageWidth = 0;
    std::uint16_t imageHeight = 0;
    std::uint8_t minCodeSize = 0;
    if (!reader.Skip(4) || !reader.U16(imageWidth) || !reader.U16(imageHeight) ||
        !reader.U8(flags) || !SkipColorTable(reader, flags) || !reader.U8(minCodeSize)) {
      return {};
    }
    if (minCodeSize < 2 || minCodeSize > 8 || !PictureSizeAllowed(imageWidth, imageHeight)) {
      return {};
    }
    SubBlocks blocks(reader);
    if (!LzwYields(blocks, minCodeSize, std::uint64_t{imageWidth} * imageHeight) ||
        !blocks.SkipToEnd()) {
      return {};
    }
    PictureSize result{screenWidth, screenHeight};
    if (screenWidth == 0 || screenHeight == 0) result = {imageWidth, imageHeight};
    if (!PictureSizeAllowed(static_cast<std::uint64_t>(result.width),
                            static_cast<std::uint64_t>(result.height))) {
      return {};
    }
    return result;
  }
}

}  // namespace base
