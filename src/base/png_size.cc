#include "base/png_size.h"

#include <csetjmp>
#include <cstring>
#include <vector>

#include <png.h>

#include "base/byte_reader.h"

namespace base {
namespace {

// "Decodes" for a PNG: libpng reads the header, inflates and unfilters every row of every
// interlace pass, and reads on to the IEND chunk without an error; a bad CRC on a critical
// chunk, a zlib error, too little image data or a file that ends early are errors. Warnings
// (unknown or damaged ancillary chunks, colour-profile remarks) do not stop the decode: they
// leave the pixels intact. Rows are decoded one at a time into one row buffer, so memory stays
// small whatever the height; libpng's limit of 1,000,000 pixels per side bounds the row.

constexpr png_uint_32 kMaxSide = 1000000;

struct Decoder {
  png_structp png = nullptr;
  png_infop info = nullptr;
  const unsigned char* data = nullptr;
  std::size_t size = 0;
  std::size_t position = 0;
  std::vector<unsigned char> row;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
  auto* decoder = static_cast<Decoder*>(png_get_io_ptr(png));
  if (length > decoder->size - decoder->position) png_error(png, "file ends early");
  std::memcpy(out, decoder->data + decoder->position, length);
  decoder->position += length;
}

[[noreturn]] void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

void OnWarning(png_structp, png_const_charp) {}

// The whole decode; false when libpng jumped out on an error. Keeps its state in `decoder`
// only, so nothing here is left indeterminate by longjmp.
bool Decode(Decoder& decoder, PictureSize& out) {
  if (setjmp(png_jmpbuf(decoder.png)) != 0) return false;
  png_set_read_fn(decoder.png, &decoder, ReadFromMemory);
  png_set_user_limits(decoder.png, kMaxSide, kMaxSide);
  png_read_info(decoder.png, decoder.info);
  const png_uint_32 width = png_get_image_width(decoder.png, decoder.info);
  const png_uint_32 height = png_get_image_height(decoder.png, decoder.info);
  if (!PictureSizeAllowed(width, height)) return false;

  const int passes = png_set_interlace_handling(decoder.png);
  png_read_update_info(decoder.png, decoder.info);
  decoder.row.resize(png_get_rowbytes(decoder.png, decoder.info));
  for (int pass = 0; pass < passes; ++pass) {
    for (png_uint_32 y = 0; y < height; ++y) png_read_row(decoder.png, decoder.row.data(), nullptr);
  }
  png_read_end(decoder.png, nullptr);
  out.width = static_cast<int>(width);
  out.height = static_cast<int>(height);
  return true;
}

}  // namespace

bool HasPngSignature(const unsigned char* data, std::size_t size) {
  static constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  return size >= sizeof kSignature && std::memcmp(data, kSignature, sizeof kSignature) == 0;
}

PictureSize PngPictureSize(const unsigned char* data, std::size_t size) {
  Decoder decoder;
  decoder.data = data;
  decoder.size = size;
  decoder.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
  if (decoder.png == nullptr) return {};
  decoder.info = png_create_info_struct(decoder.png);
  PictureSize result;
  if (decoder.info == nullptr || !Decode(decoder, result)) result = {};
  png_destroy_read_struct(&decoder.png, &decoder.info, nullptr);
  return result;
}

}  // namespace base
