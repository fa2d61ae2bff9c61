// Bounds-checked little-endian reads over a byte range, and the size limit the picture
// readers share.
#pragma once

#include <cstddef>
#include <cstdint>

namespace base {

// Pictures with more pixels than this (16384 × 16384) count as undecodable, so that no
// reader spends unbounded time or memory on a header that claims an absurd size.
inline constexpr std::uint64_t kMaxPicturePixels = std::uint64_t{1} << 28;

// True when a width × height picture is within kMaxPicturePixels; both must be at least 1.
inline bool PictureSizeAllowed(std::uint64_t width, std::uint64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxPicturePixels &&
         height <= kMaxPicturePixels / width;
}

// A cursor over [data, data + size). Every read checks the bounds first and returns false
// (leaving the cursor where it was) when the bytes are not there.
class ByteReader {
 public:
  ByteReader(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

  std::size_t Position() const { return pos_; }
  std::size_t Remaining() const { return size_ - pos_; }
  const unsigned char* Current() const { return data_ + pos_; }

  // Moves to absolute `offset`; false when it lies beyond the end.
  bool Seek(std::uint64_t offset) {
    if (offset > size_) return false;
    pos_ = static_cast<std::size_t>(offset);
    return true;
  }

  bool Skip(std::uint64_t count) {
    if (count > Remaining()) return false;
    pos_ += static_cast<std::size_t>(count);
    return true;
  }

  bool U8(std::uint8_t& value) {
    if (Remaining() < 1) return false;
    value = data_[pos_++];
    return true;
  }

  bool U16(std::uint16_t& value) {
    if (Remaining() < 2) return false;
    value = static_cast<std::uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return true;
  }

  bool U32(std::uint32_t& value) {
    if (Remaining() < 4) return false;
    value = static_cast<std::uint32_t>(data_[pos_]) |
            (static_cast<std::uint32_t>(data_[pos_ + 1]) << 8) |
            (static_cast<std::uint32_t>(data_[pos_ + 2]) << 16) |
            (static_cast<std::uint32_t>(data_[pos_ + 3]) << 24);
    pos_ += 4;
    return true;
  }

  bool I32(std::int32_t& value) {
    std::uint32_t raw = 0;
    if (!U32(raw)) return false;
    value = static_cast<std::int32_t>(raw);
    return true;
  }

 private:
  const unsigned char* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace base
