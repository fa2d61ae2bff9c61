#include "support/picture_maker.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

namespace support {
namespace {

// RGB pixels: a diagonal gradient with a little pseudo-random noise.
std::vector<unsigned char> Pixels(int width, int height, std::uint32_t seed) {
  std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  std::uint32_t state = seed * 2654435761u + 1;
  std::size_t i = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      state = state * 1664525u + 1013904223u;
      const unsigned noise = (state >> 24) & 0x1f;
      rgb[i++] = static_cast<unsigned char>((x * 255 / (width > 1 ? width - 1 : 1) + noise) & 0xff);
      rgb[i++] = static_cast<unsigned char>((y * 255 / (height > 1 ? height - 1 : 1) + noise) & 0xff);
      rgb[i++] = static_cast<unsigned char>(((x + y) * 3 + seed * 40 + noise) & 0xff);
    }
  }
  return rgb;
}

}  // namespace

void PutLittle16(base::ByteBuffer& out, std::uint32_t value) {
  out.push_back(static_cast<unsigned char>(value & 0xff));
  out.push_back(static_cast<unsigned char>((value >> 8) & 0xff));
}

void PutLittle32(base::ByteBuffer& out, std::uint32_t value) {
  PutLittle16(out, value & 0xffff);
  PutLittle16(out, value >> 16);
}

base::ByteBuffer MakeJpeg(int width, int height, int quality, std::uint32_t seed,
                          JpegMode mode) {
  std::vector<unsigned char> rgb = Pixels(width, height, seed);
  const int components = mode == JpegMode::grey ? 1 : 3;
  if (components == 1) {
    for (std::size_t i = 0; i * 3 < rgb.size(); ++i) rgb[i] = rgb[i * 3];  // the red channel
  }
  jpeg_compress_struct compressor{};
  jpeg_error_mgr errors{};
  compressor.err = jpeg_std_error(&errors);
  jpeg_create_compress(&compressor);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&compressor, &buffer, &size);
  compressor.image_width = static_cast<JDIMENSION>(width);
  compressor.image_height = static_cast<JDIMENSION>(height);
  compressor.input_components = components;
  compressor.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&compressor);
  jpeg_set_quality(&compressor, quality, TRUE);
  if (mode == JpegMode::progressive) jpeg_simple_progression(&compressor);
  jpeg_start_compress(&compressor, TRUE);
  while (compressor.next_scanline < compressor.image_height) {
    JSAMPROW row = &rgb[static_cast<std::size_t>(compressor.next_scanline) * static_cast<std::size_t>(width) *
                        static_cast<std::size_t>(components)];
    jpeg_write_scanlines(&compressor, &row, 1);
  }
  jpeg_finish_compress(&compressor);
  base::ByteBuffer out(buffer, buffer + size);
  jpeg_destroy_compress(&compressor);
  std::free(buffer);
  return out;
}

base::ByteBuffer MakePng(int width, int height, std::uint32_t seed) {
  std::vector<unsigned char> rgb = Pixels(width, height, seed);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr)) {
    throw std::runtime_error("png size");
  }
  base::ByteBuffer out(size);
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, rgb.data(), 0, nullptr)) {
    throw std::runtime_error("png write");
  }
  out.resize(size);
  return out;
}

base::ByteBuffer MakeGif(int width, int height, std::uint32_t seed) {
  base::ByteBuffer out = {'G', 'I', 'F', '8', '9', 'a'};
  PutLittle16(out, static_cast<unsigned>(width));
  PutLittle16(out, static_cast<unsigned>(height));
  out.push_back(0xF7);  // global colour table of 256 entries
  out.push_back(0);
  out.push_back(0);
  for (int i = 0; i < 256; ++i) {
    out.push_back(static_cast<unsigned char>(i));
    out.push_back(static_cast<unsigned char>(255 - i));
    out.push_back(static_cast<unsigned char>((i * 7) & 0xff));
  }
  out.push_back(0x2C);  // image descriptor covering the screen
  PutLittle16(out, 0);
  PutLittle16(out, 0);
  PutLittle16(out, static_cast<unsigned>(width));
  PutLittle16(out, static_cast<unsigned>(height));
  out.push_back(0);
  out.push_back(8);  // LZW minimum code size

  // Every pixel as a literal 9-bit code, with a clear code often enough that the code
  // width never grows: valid LZW without a dictionary.
  base::ByteBuffer data;
  std::uint32_t bits = 0;
  int bitCount = 0;
  auto emit = [&](unsigned code) {
    bits |= code << bitCount;
    bitCount += 9;
    while (bitCount >= 8) {
      data.push_back(static_cast<unsigned char>(bits & 0xff));
      bits >>= 8;
      bitCount -= 8;
    }
  };
  std::vector<unsigned char> rgb = Pixels(width, height, seed);
  emit(256);
  int sinceClear = 0;
  for (std::size_t i = 0; i < rgb.size(); i += 3) {
    if (sinceClear == 250) {
      emit(256);
      sinceClear = 0;
    }
    emit(rgb[i]);
    ++sinceClear;
  }
  emit(257);
  if (bitCount > 0) data.push_back(static_cast<unsigned char>(bits & 0xff));
  for (std::size_t at = 0; at < data.size(); at += 255) {
    const std::size_t block = std::min<std::size_t>(255, data.size() - at);
    out.push_back(static_cast<unsigned char>(block));
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
               data.begin() + static_cast<std::ptrdiff_t>(at + block));
  }
  out.push_back(0);
  out.push_back(0x3B);
  return out;
}

base::ByteBuffer MakeBmp(int width, int height, std::uint32_t seed) {
  const std::uint32_t rowBytes = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
  const std::uint32_t pixelBytes = rowBytes * static_cast<std::uint32_t>(height);
  base::ByteBuffer out = {'B', 'M'};
  PutLittle32(out, 54 + pixelBytes);
  PutLittle32(out, 0);
  PutLittle32(out, 54);
  PutLittle32(out, 40);
  PutLittle32(out, static_cast<std::uint32_t>(width));
  PutLittle32(out, static_cast<std::uint32_t>(height));
  PutLittle16(out, 1);
  PutLittle16(out, 24);
  PutLittle32(out, 0);
  PutLittle32(out, pixelBytes);
  PutLittle32(out, 2835);
  PutLittle32(out, 2835);
  PutLittle32(out, 0);
  PutLittle32(out, 0);
  std::vector<unsigned char> rgb = Pixels(width, height, seed);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
      out.push_back(rgb[i + 2]);
      out.push_back(rgb[i + 1]);
      out.push_back(rgb[i]);
    }
    for (std::uint32_t pad = static_cast<std::uint32_t>(width) * 3; pad < rowBytes; ++pad) out.push_back(0);
  }
  return out;
}

}  // namespace support
