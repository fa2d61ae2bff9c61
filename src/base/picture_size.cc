#include "base/picture_size.h"

#include <cstring>
#include <mutex>
#include <utility>

#include "base/bmp_size.h"
#include "base/files.h"
#include "base/gif_size.h"
#include "base/icon_size.h"
#include "base/jpeg_size.h"
#include "base/pcx_size.h"
#include "base/png_size.h"

namespace base {
namespace {

// Larger files are not read at all; no picture a shop serves comes near this.
constexpr std::size_t kMaxPictureFileBytes = std::size_t{512} << 20;

bool StartsWith(const unsigned char* data, std::size_t size, const void* prefix,
                std::size_t prefixSize) {
  return size >= prefixSize && std::memcmp(data, prefix, prefixSize) == 0;
}

// Files up to this size are remembered after decoding (see FilePictureSize).
constexpr std::size_t kMaxRememberedBytes = std::size_t{64} << 20;

// Callers ask for the width and then the height of the same file, and each call reads the
// file anew. The bytes of the last decoded file are kept with its size, so when the second
// read finds exactly the same bytes the decode is not repeated; any change to the file
// gives different bytes and a fresh decode.
PictureSize FilePictureSize(const Text& path) {
  static std::mutex mutex;
  static ByteBuffer lastBytes;
  static PictureSize lastSize;
  ByteBuffer bytes;
  if (!ReadFileBytes(path, bytes, kMaxPictureFileBytes)) return {};
  const std::lock_guard<std::mutex> lock(mutex);
  if (bytes == lastBytes) return lastSize;
  const PictureSize size = DecodePictureSize(bytes.data(), bytes.size());
  if (bytes.size() <= kMaxRememberedBytes) {
    lastBytes = std::move(bytes);
    lastSize = size;
  }
  return size;
}

}  // namespace

PictureSize DecodePictureSize(const unsigned char* data, std::size_t size) {
  static constexpr unsigned char kJpeg[] = {0xFF, 0xD8, 0xFF};
  static constexpr unsigned char kIcon[] = {0, 0, 1, 0};
  static constexpr unsigned char kCursor[] = {0, 0, 2, 0};
  if (data == nullptr || size < 6) return {};
  if (StartsWith(data, size, kJpeg, sizeof kJpeg)) return JpegPictureSize(data, size);
  if (HasPngSignature(data, size)) return PngPictureSize(data, size);
  if (StartsWith(data, size, "BM", 2)) return BmpPictureSize(data, size);
  if (StartsWith(data, size, "GIF87a", 6) || StartsWith(data, size, "GIF89a", 6)) {
    return GifPictureSize(data, size);
  }
  if (StartsWith(data, size, kIcon, sizeof kIcon) || StartsWith(data, size, kCursor, sizeof kCursor)) {
    return IconPictureSize(data, size);
  }
  if (data[0] == 0x0A) return PcxPictureSize(data, size);  // checks version and encoding
  return {};
}

int ImageWidth(const Text& path) { return FilePictureSize(path).width; }

int ImageHeight(const Text& path) { return FilePictureSize(path).height; }

}  // namespace base
