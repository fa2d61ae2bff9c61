#include "base/picture_size.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#include "support/picture_maker.h"

namespace base {
namespace {

// Every sample is made here: pictures through libjpeg and libpng, the rest byte by byte.
constexpr int kWidth = 37;
constexpr int kHeight = 21;

void Append(ByteBuffer& out, const ByteBuffer& more) { out.insert(out.end(), more.begin(), more.end()); }

void SetBig16(ByteBuffer& bytes, std::size_t at, std::uint32_t value) {
  bytes[at] = static_cast<unsigned char>((value >> 8) & 0xFF);
  bytes[at + 1] = static_cast<unsigned char>(value & 0xFF);
}

void SetBig32(ByteBuffer& bytes, std::size_t at, std::uint32_t value) {
  SetBig16(bytes, at, value >> 16);
  SetBig16(bytes, at + 2, value & 0xFFFF);
}

void SetLittle32(ByteBuffer& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>((value >> (8 * i)) & 0xFF);
}

std::size_t Find(const ByteBuffer& bytes, const ByteBuffer& sought) {
  return static_cast<std::size_t>(
      std::search(bytes.begin(), bytes.end(), sought.begin(), sought.end()) - bytes.begin());
}

unsigned char Shade(int x, int y) { return static_cast<unsigned char>((x * 7 + y * 13) & 0xFF); }

// --- JPEG -------------------------------------------------------------------------------

enum class JpegKind { baseline, grey, progressive, manyScans };

ByteBuffer MakeJpeg(int width, int height, JpegKind kind) {
  const int components = kind == JpegKind::grey ? 1 : 3;
  jpeg_compress_struct info{};
  jpeg_error_mgr error{};
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = components;
  info.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 90, TRUE);
  std::vector<jpeg_scan_info> scans;
  if (kind == JpegKind::progressive) jpeg_simple_progression(&info);
  if (kind == JpegKind::manyScans) {
    // A valid progressive file of 1 + 3 × 63 scans: every AC coefficient in a scan of its own.
    scans.push_back({3, {0, 1, 2, 0}, 0, 0, 0, 0});
    for (int component = 0; component < 3; ++component) {
      for (int k = 1; k < 64; ++k) scans.push_back({1, {component, 0, 0, 0}, k, k, 0, 0});
    }
    info.scan_info = scans.data();
    info.num_scans = static_cast<int>(scans.size());
  }
  jpeg_start_compress(&info, TRUE);
  std::vector<unsigned char> row(static_cast<std::size_t>(width * components));
  while (info.next_scanline < info.image_height) {
    for (int x = 0; x < width * components; ++x) {
      row[x] = Shade(x, static_cast<int>(info.next_scanline));
    }
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  ByteBuffer out(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return out;
}

// Rewrites the frame header's height and width.
ByteBuffer WithJpegSize(ByteBuffer jpeg, std::uint32_t width, std::uint32_t height) {
  std::size_t at = Find(jpeg, {0xFF, 0xC0});
  if (at == jpeg.size()) at = Find(jpeg, {0xFF, 0xC2});
  SetBig16(jpeg, at + 5, height);
  SetBig16(jpeg, at + 7, width);
  return jpeg;
}

// --- PNG --------------------------------------------------------------------------------

ByteBuffer MakePng(int width, int height, bool interlaced) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  ByteBuffer out;
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t length) {
        auto* target = static_cast<ByteBuffer*>(png_get_io_ptr(p));
        target->insert(target->end(), data, data + length);
      },
      [](png_structp) {});
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<std::vector<unsigned char>> rows(static_cast<std::size_t>(height));
  std::vector<png_bytep> pointers;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width * 3; ++x) rows[y].push_back(Shade(x, y));
    pointers.push_back(rows[y].data());
  }
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

// Rewrites the IHDR width and height and its CRC.
ByteBuffer WithPngSize(ByteBuffer png, std::uint32_t width, std::uint32_t height) {
  SetBig32(png, 16, width);
  SetBig32(png, 20, height);
  SetBig32(png, 29, static_cast<std::uint32_t>(crc32(0, png.data() + 12, 17)));
  return png;
}

// --- BMP --------------------------------------------------------------------------------

struct BmpSpec {
  std::int32_t width = kWidth;
  std::int32_t height = kHeight;
  std::uint16_t bits = 24;
  std::uint32_t compression = 0;
  std::uint32_t colorsUsed = 0;
  std::uint32_t headerSize = 40;
  ByteBuffer headerTail = {};  // header fields after the first 40 bytes (masks of longer headers)
  ByteBuffer table = {};       // masks of the 40-byte header and the colour table
  ByteBuffer pixels = {};
};

ByteBuffer InfoHeader(const BmpSpec& spec) {
  ByteBuffer out;
  support::PutLittle32(out, spec.headerSize);
  support::PutLittle32(out, static_cast<std::uint32_t>(spec.width));
  support::PutLittle32(out, static_cast<std::uint32_t>(spec.height));
  support::PutLittle16(out, 1);
  support::PutLittle16(out, spec.bits);
  support::PutLittle32(out, spec.compression);
  support::PutLittle32(out, static_cast<std::uint32_t>(spec.pixels.size()));
  support::PutLittle32(out, 2835);
  support::PutLittle32(out, 2835);
  support::PutLittle32(out, spec.colorsUsed);
  support::PutLittle32(out, 0);
  Append(out, spec.headerTail);
  out.resize(spec.headerSize, 0);
  Append(out, spec.table);
  return out;
}

ByteBuffer MakeBmp(const BmpSpec& spec) {
  const ByteBuffer info = InfoHeader(spec);
  ByteBuffer out = {'B', 'M'};
  support::PutLittle32(out, static_cast<std::uint32_t>(14 + info.size() + spec.pixels.size()));
  support::PutLittle32(out, 0);
  support::PutLittle32(out, static_cast<std::uint32_t>(14 + info.size()));
  Append(out, info);
  Append(out, spec.pixels);
  return out;
}

ByteBuffer Rows(int width, int height, int bits) {
  const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
  ByteBuffer out(stride * height);
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = Shade(static_cast<int>(i), 3);
  return out;
}

ByteBuffer Palette(int entries) {
  ByteBuffer out;
  for (int i = 0; i < entries; ++i) support::PutLittle32(out, static_cast<std::uint32_t>(i * 0x010101));
  return out;
}

// Each row: three literal pixels, then one run for the rest of the row; end of bitmap.
ByteBuffer RunLengthRows(int width, int height, bool fourBit) {
  ByteBuffer out;
  for (int y = 0; y < height; ++y) {
    Append(out, fourBit ? ByteBuffer{0, 3, 0x12, 0x30} : ByteBuffer{0, 3, 1, 2, 3, 0});
    Append(out, {static_cast<unsigned char>(width - 3), static_cast<unsigned char>(y)});
    if (y + 1 < height) Append(out, {0, 0});
  }
  Append(out, {0, 1});
  return out;
}

BmpSpec Rle8Spec() {
  BmpSpec spec;
  spec.bits = 8;
  spec.compression = 1;
  spec.table = Palette(256);
  spec.pixels = RunLengthRows(kWidth, kHeight, false);
  return spec;
}

// --- GIF --------------------------------------------------------------------------------

// LZW as a GIF encoder writes it, with a real dictionary, so that the decoder sees codes
// for strings, the code width growing, and (with long runs) the code just being defined.
ByteBuffer LzwSubBlocks(const std::vector<unsigned char>& pixels, int minCodeSize) {
  const int clearCode = 1 << minCodeSize;
  ByteBuffer packed;
  std::uint32_t bits = 0;
  int bitCount = 0;
  int codeSize = minCodeSize + 1;
  int decoderNext = clearCode + 2;  // the table size the decoder will have reached
  bool first = true;
  auto put = [&](int code) {
    bits |= static_cast<std::uint32_t>(code) << bitCount;
    bitCount += codeSize;
    for (; bitCount >= 8; bitCount -= 8, bits >>= 8) packed.push_back(bits & 0xFF);
  };
  auto emit = [&](int code) {
    put(code);
    if (!first && decoderNext < 4096 && ++decoderNext == (1 << codeSize) && codeSize < 12) {
      ++codeSize;
    }
    first = false;
  };
  std::map<int, int> dictionary;
  int next = clearCode + 2;
  put(clearCode);
  int prefix = pixels[0];
  for (std::size_t i = 1; i < pixels.size(); ++i) {
    const int key = prefix * 256 + pixels[i];
    if (auto it = dictionary.find(key); it != dictionary.end()) {
      prefix = it->second;
      continue;
    }
    emit(prefix);
    if (next < 4096) dictionary[key] = next++;
    prefix = pixels[i];
  }
  emit(prefix);
  put(clearCode + 1);
  if (bitCount > 0) packed.push_back(bits & 0xFF);

  ByteBuffer out;
  for (std::size_t at = 0; at < packed.size(); at += 255) {
    const std::size_t block = std::min<std::size_t>(255, packed.size() - at);
    out.push_back(static_cast<unsigned char>(block));
    out.insert(out.end(), packed.begin() + at, packed.begin() + at + block);
  }
  out.push_back(0);
  return out;
}

struct GifSpec {
  int screenWidth = kWidth;
  int screenHeight = kHeight;
  int imageWidth = kWidth;
  int imageHeight = kHeight;
  int minCodeSize = 2;
};

// Header, 4-colour table, a graphic control extension, the image, the trailer.
ByteBuffer MakeGif(const GifSpec& spec, const std::optional<ByteBuffer>& imageData = std::nullopt) {
  ByteBuffer out = {'G', 'I', 'F', '8', '9', 'a'};
  support::PutLittle16(out, static_cast<std::uint32_t>(spec.screenWidth));
  support::PutLittle16(out, static_cast<std::uint32_t>(spec.screenHeight));
  Append(out, {0x81, 0, 0});
  Append(out, {0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 0, 255});
  Append(out, {0x21, 0xF9, 4, 0, 0, 0, 0, 0});
  out.push_back(0x2C);
  support::PutLittle32(out, 0);
  support::PutLittle16(out, static_cast<std::uint32_t>(spec.imageWidth));
  support::PutLittle16(out, static_cast<std::uint32_t>(spec.imageHeight));
  out.push_back(0);
  out.push_back(static_cast<unsigned char>(spec.minCodeSize));
  if (imageData) {
    Append(out, *imageData);
  } else {
    std::vector<unsigned char> pixels;
    for (int y = 0; y < spec.imageHeight; ++y) {
      for (int x = 0; x < spec.imageWidth; ++x) pixels.push_back(static_cast<unsigned char>(y < 5 ? 1 : (x / 4 + y) % 4));
    }
    Append(out, LzwSubBlocks(pixels, spec.minCodeSize));
  }
  out.push_back(0x3B);
  return out;
}

// --- ICO and CUR --------------------------------------------------------------------------

ByteBuffer MakeIcon(std::uint16_t type, unsigned char width, unsigned char height,
                    const ByteBuffer& image) {
  ByteBuffer out;
  Append(out, {0, 0});
  support::PutLittle16(out, type);
  support::PutLittle16(out, 1);
  Append(out, {width, height, 0, 0});
  support::PutLittle32(out, 0x00200001);
  support::PutLittle32(out, static_cast<std::uint32_t>(image.size()));
  support::PutLittle32(out, 22);
  Append(out, image);
  return out;
}

// A header-less bitmap: colour rows and 1-bit mask rows under one doubled height.
ByteBuffer IconBitmap(int width, int height, std::uint16_t bits) {
  BmpSpec spec;
  spec.width = width;
  spec.height = 2 * height;
  spec.bits = bits;
  if (bits <= 8) spec.table = Palette(1 << bits);
  spec.pixels = Rows(width, height, bits);
  Append(spec.pixels, Rows(width, height, 1));
  ByteBuffer out = InfoHeader(spec);
  Append(out, spec.pixels);
  return out;
}

// --- PCX --------------------------------------------------------------------------------

struct PcxSpec {
  int version = 5;
  int encoding = 1;
  int bits = 8;
  int planes = 1;
  int xMin = 10;
  int yMin = 4;
  int xMax = 10 + kWidth - 1;
  int yMax = 4 + kHeight - 1;
  int bytesPerLine = 38;
};

ByteBuffer PcxHeader(const PcxSpec& spec) {
  ByteBuffer out = {0x0A, static_cast<unsigned char>(spec.version),
                    static_cast<unsigned char>(spec.encoding), static_cast<unsigned char>(spec.bits)};
  for (int value : {spec.xMin, spec.yMin, spec.xMax, spec.yMax, 72, 72}) {
    support::PutLittle16(out, static_cast<std::uint32_t>(value));
  }
  out.resize(65, 0);
  out.push_back(static_cast<unsigned char>(spec.planes));
  support::PutLittle16(out, static_cast<std::uint32_t>(spec.bytesPerLine));
  support::PutLittle16(out, 1);
  out.resize(128, 0);
  return out;
}

// Run-length rows (a literal, a run, a literal that needs the escape, a run), then the
// 256-colour palette for a version-5 8-bit picture.
ByteBuffer MakePcx(const PcxSpec& spec) {
  ByteBuffer out = PcxHeader(spec);
  const int rows = (spec.yMax - spec.yMin + 1) * spec.planes;
  for (int row = 0; row < rows; ++row) {
    const int rest = spec.bytesPerLine - 3;
    Append(out, {0x05, 0xC1, 0xC7, static_cast<unsigned char>(0xC0 | rest), 0x22});
    out.push_back(static_cast<unsigned char>(0xC1));
    out.push_back(static_cast<unsigned char>(row & 0x3F));
  }
  if (spec.version == 5 && spec.bits == 8 && spec.planes == 1) {
    out.push_back(0x0C);
    out.resize(out.size() + 768, 0x40);
  }
  return out;
}

// --- Cases ------------------------------------------------------------------------------

struct Sample {
  std::string name;
  ByteBuffer bytes;
  int width;
  int height;
  std::size_t required;  // shortest prefix that still decodes; the bytes after are optional
};

std::vector<Sample> ValidSamples() {
  std::vector<Sample> samples;
  auto add = [&](std::string name, ByteBuffer bytes, int width = kWidth, int height = kHeight,
                 std::size_t optionalTail = 0) {
    const std::size_t required = bytes.size() - optionalTail;
    samples.push_back({std::move(name), std::move(bytes), width, height, required});
  };
  add("jpeg baseline colour", MakeJpeg(kWidth, kHeight, JpegKind::baseline));
  add("jpeg grey", MakeJpeg(kWidth, kHeight, JpegKind::grey));
  add("jpeg progressive", MakeJpeg(kWidth, kHeight, JpegKind::progressive));
  add("png", MakePng(kWidth, kHeight, false));
  add("png interlaced", MakePng(kWidth, kHeight, true));

  // Uncompressed rows: the last row's padding byte is optional.
  add("bmp 24-bit bottom-up", MakeBmp({.pixels = Rows(kWidth, kHeight, 24)}), kWidth, kHeight, 1);
  add("bmp 24-bit top-down", MakeBmp({.height = -kHeight, .pixels = Rows(kWidth, kHeight, 24)}),
      kWidth, kHeight, 1);
  add("bmp 1-bit", MakeBmp({.bits = 1, .table = Palette(2), .pixels = Rows(kWidth, kHeight, 1)}),
      kWidth, kHeight, 3);
  add("bmp 4-bit, 5 colours used",
      MakeBmp({.bits = 4, .colorsUsed = 5, .table = Palette(5), .pixels = Rows(kWidth, kHeight, 4)}),
      kWidth, kHeight, 1);
  add("bmp 16-bit bit fields",
      MakeBmp({.bits = 16, .compression = 3, .table = {0, 0xF8, 0, 0, 0xE0, 7, 0, 0, 0x1F, 0, 0, 0},
               .pixels = Rows(kWidth, kHeight, 16)}),
      kWidth, kHeight, 2);
  ByteBuffer v5Masks;
  for (std::uint32_t mask : {0xFF0000u, 0xFF00u, 0xFFu, 0xFF000000u}) support::PutLittle32(v5Masks, mask);
  add("bmp 32-bit, 124-byte header with masks inside",
      MakeBmp({.bits = 32, .compression = 3, .headerSize = 124, .headerTail = v5Masks,
               .pixels = Rows(kWidth, kHeight, 32)}));
  add("bmp rle8", MakeBmp(Rle8Spec()));
  add("bmp rle4", MakeBmp({.bits = 4, .compression = 2, .table = Palette(16),
                           .pixels = RunLengthRows(kWidth, kHeight, true)}));
  {
    ByteBuffer core = {'B', 'M'};
    support::PutLittle32(core, 0);
    support::PutLittle32(core, 0);
    support::PutLittle32(core, 14 + 12 + 6);
    support::PutLittle32(core, 12);
    support::PutLittle16(core, kWidth);
    support::PutLittle16(core, kHeight);
    support::PutLittle16(core, 1);
    support::PutLittle16(core, 1);
    Append(core, {0, 0, 0, 255, 255, 255});
    Append(core, Rows(kWidth, kHeight, 1));
    add("bmp core header", core, kWidth, kHeight, 3);
  }

  // The trailer after the first image is not read.
  add("gif", MakeGif({}), kWidth, kHeight, 1);
  add("gif 8-bit codes", MakeGif({.minCodeSize = 8}), kWidth, kHeight, 1);
  add("gif screen larger than image", MakeGif({.screenWidth = 50, .screenHeight = 30}), 50, 30, 1);
  add("gif zero screen takes the image", MakeGif({.screenWidth = 0, .screenHeight = 0}), kWidth,
      kHeight, 1);

  add("ico 32-bit bitmap", MakeIcon(1, kWidth, kHeight, IconBitmap(kWidth, kHeight, 32)));
  add("ico 4-bit bitmap", MakeIcon(1, kWidth, kHeight, IconBitmap(kWidth, kHeight, 4)));
  add("ico 256 written as 0", MakeIcon(1, 0, 0, IconBitmap(256, 256, 1)), 256, 256);
  add("ico png", MakeIcon(1, 0, 0, MakePng(kWidth, kHeight, false)));
  add("cur bitmap", MakeIcon(2, kWidth, kHeight, IconBitmap(kWidth, kHeight, 24)));

  add("pcx 8-bit with palette", MakePcx({}));
  add("pcx 1-bit 4 planes", MakePcx({.version = 2, .bits = 1, .planes = 4, .bytesPerLine = 6}));
  return samples;
}

class PictureSizeTest : public ::testing::Test {
 protected:
  static PictureSize Decode(const ByteBuffer& bytes) {
    return DecodePictureSize(bytes.data(), bytes.size());
  }
};

TEST_F(PictureSizeTest, ValidPicturesGiveTheirSize) {
  for (const Sample& sample : ValidSamples()) {
    const PictureSize size = Decode(sample.bytes);
    EXPECT_EQ(size.width, sample.width) << sample.name;
    EXPECT_EQ(size.height, sample.height) << sample.name;
  }
}

// Each prefix is copied into a buffer of its own length, so a read past the end is caught
// by the address sanitizer.
TEST_F(PictureSizeTest, EveryTruncationGivesZeroUntilTheDataIsComplete) {
  for (const Sample& sample : ValidSamples()) {
    for (std::size_t length = 0; length <= sample.bytes.size(); ++length) {
      const ByteBuffer prefix(sample.bytes.begin(), sample.bytes.begin() + length);
      const PictureSize size = Decode(prefix);
      const bool complete = length >= sample.required;
      ASSERT_EQ(size.width, complete ? sample.width : 0) << sample.name << ", " << length << " bytes";
      ASSERT_EQ(size.height, complete ? sample.height : 0) << sample.name << ", " << length << " bytes";
    }
  }
}

struct BadCase {
  std::string name;
  ByteBuffer bytes;
};

// Headers that claim a huge picture: refused at once or at the end of the short data, with
// no allocation for the whole picture (run the sanitizer build to see none happens).
std::vector<BadCase> HugeClaims() {
  const ByteBuffer jpeg = MakeJpeg(kWidth, kHeight, JpegKind::baseline);
  const ByteBuffer png = MakePng(kWidth, kHeight, false);
  ByteBuffer hugeRle;  // a run-length bitmap can be all "end of bitmap"
  {
    BmpSpec spec = Rle8Spec();
    spec.width = 100000;
    spec.height = 100000;
    spec.pixels = {0, 1};
    hugeRle = MakeBmp(spec);
  }
  ByteBuffer hugeIconBitmap = IconBitmap(kWidth, kHeight, 32);
  SetLittle32(hugeIconBitmap, 4, 100000);
  SetLittle32(hugeIconBitmap, 8, 200000);
  ByteBuffer hugeGifImage = MakeGif({.screenWidth = 100, .screenHeight = 100, .imageWidth = 16000,
                                     .imageHeight = 16000},
                                    ByteBuffer{2, 0x44, 0x01, 0});
  return {
      {"jpeg 65535 x 65535", WithJpegSize(jpeg, 65535, 65535)},
      {"jpeg 16000 x 16000 over small data", WithJpegSize(jpeg, 16000, 16000)},
      {"png 100000 x 100000", WithPngSize(png, 100000, 100000)},
      {"png 16000 x 16000 over small data", WithPngSize(png, 16000, 16000)},
      {"png 1000000 x 1 over small data", WithPngSize(png, 1000000, 1)},
      {"bmp 100000 x 100000", MakeBmp({.width = 100000, .height = 100000,
                                       .pixels = Rows(kWidth, kHeight, 24)})},
      {"bmp rle8 100000 x 100000", hugeRle},
      {"gif screen 65535 x 65535", MakeGif({.screenWidth = 65535, .screenHeight = 65535})},
      {"gif image 16000 x 16000 over small data", hugeGifImage},
      {"ico bitmap 100000 x 100000", MakeIcon(1, 0, 0, hugeIconBitmap)},
      {"ico png 100000 x 100000", MakeIcon(1, 0, 0, WithPngSize(png, 100000, 100000))},
      {"pcx 65536 x 65536", MakePcx({.xMin = 0, .yMin = 0, .xMax = 65535, .yMax = 65535,
                                     .bytesPerLine = 65536 - 2})},
      {"pcx 16000 x 16000 over small data",
       [] {
         ByteBuffer pcx = PcxHeader({.xMin = 0, .yMin = 0, .xMax = 15999, .yMax = 15999,
                                     .bytesPerLine = 16000});
         Append(pcx, {0xFF, 0, 0xFF, 0});
         return pcx;
       }()},
  };
}

TEST_F(PictureSizeTest, HugeClaimsGiveZero) {
  for (const BadCase& bad : HugeClaims()) {
    const PictureSize size = Decode(bad.bytes);
    EXPECT_EQ(size.width, 0) << bad.name;
    EXPECT_EQ(size.height, 0) << bad.name;
  }
}

std::vector<BadCase> CorruptPictures() {
  std::vector<BadCase> cases;
  auto add = [&](std::string name, ByteBuffer bytes) { cases.push_back({std::move(name), bytes}); };
  add("empty", {});
  add("five bytes of a bitmap header", {'B', 'M', 0, 0, 0});
  add("five bytes of a jpeg", {0xFF, 0xD8, 0xFF, 0xE0, 0});
  add("text", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});
  add("gif of another version", [] {
    ByteBuffer gif = MakeGif({});
    gif[4] = '8';
    return gif;
  }());

  add("jpeg with 190 scans", MakeJpeg(kWidth, kHeight, JpegKind::manyScans));
  add("jpeg with a scrambled scan", [] {
    ByteBuffer jpeg = MakeJpeg(kWidth, kHeight, JpegKind::baseline);
    const std::size_t scan = Find(jpeg, {0xFF, 0xDA});
    for (std::size_t i = scan + 20; i < jpeg.size() - 2; ++i) jpeg[i] = 0xFF;
    return jpeg;
  }());
  add("png with a damaged IDAT", [] {
    ByteBuffer png = MakePng(kWidth, kHeight, false);
    png[Find(png, {'I', 'D', 'A', 'T'}) + 10] ^= 0x55;
    return png;
  }());

  add("bmp INT_MIN height", MakeBmp({.height = INT32_MIN, .pixels = Rows(kWidth, kHeight, 24)}));
  add("bmp zero width", MakeBmp({.width = 0, .pixels = Rows(kWidth, kHeight, 24)}));
  add("bmp 5-bit", MakeBmp({.bits = 5, .pixels = Rows(kWidth, kHeight, 24)}));
  add("bmp rle8 at 24 bits", MakeBmp({.compression = 1, .pixels = Rows(kWidth, kHeight, 24)}));
  add("bmp rle8 top-down", [] {
    BmpSpec spec = Rle8Spec();
    spec.height = -kHeight;
    return MakeBmp(spec);
  }());
  add("bmp rle8 jump below the picture", [] {
    BmpSpec spec = Rle8Spec();
    spec.pixels = {0, 2, 0, kHeight, 0, 1};
    return MakeBmp(spec);
  }());
  add("bmp rle8 stream without an end", [] {
    BmpSpec spec = Rle8Spec();
    spec.pixels = {kWidth, 1, 0, 0, kWidth, 1, 0, 0};
    return MakeBmp(spec);
  }());
  add("bmp colour table longer than the depth allows",
      MakeBmp({.bits = 1, .colorsUsed = 3, .table = Palette(3), .pixels = Rows(kWidth, kHeight, 1)}));
  add("bmp 16-bit masks wider than the pixel",
      MakeBmp({.bits = 16, .compression = 3, .table = ByteBuffer(12, 0xFF),
               .pixels = Rows(kWidth, kHeight, 16)}));
  add("bmp pixel offset inside the header", [] {
    ByteBuffer bmp = MakeBmp({.pixels = Rows(kWidth, kHeight, 24)});
    SetLittle32(bmp, 10, 20);
    return bmp;
  }());

  add("gif code size 1", MakeGif({.minCodeSize = 1}, ByteBuffer{2, 0x01, 0x00, 0}));
  add("gif code size 9", MakeGif({.minCodeSize = 9}, ByteBuffer{2, 0x00, 0x02, 0}));
  // Clear (4), then code 7: not yet defined.
  add("gif undefined code", MakeGif({}, ByteBuffer{1, 0x3C, 0}));
  // Clear (4), one pixel, end (5): far fewer than 37 × 21 pixels.
  add("gif end code too early", MakeGif({}, ByteBuffer{2, 0x4C, 0x01, 0}));
  add("gif without an image", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x3B});

  add("ico with no entries", {0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  add("ico image beyond the file", [] {
    ByteBuffer icon = MakeIcon(1, kWidth, kHeight, IconBitmap(kWidth, kHeight, 32));
    SetLittle32(icon, 18, 23);
    return icon;
  }());
  add("ico bitmap without its mask", [] {
    ByteBuffer bitmap = IconBitmap(kWidth, kHeight, 8);
    bitmap.resize(bitmap.size() - 4 * kHeight);
    return MakeIcon(1, kWidth, kHeight, bitmap);
  }());
  add("ico with a broken png", [] {
    ByteBuffer png = MakePng(kWidth, kHeight, false);
    png.resize(png.size() / 2);
    return MakeIcon(1, kWidth, kHeight, png);
  }());
  add("ico with a top-down bitmap", [] {
    ByteBuffer bitmap = IconBitmap(kWidth, kHeight, 32);
    SetLittle32(bitmap, 8, static_cast<std::uint32_t>(-2 * kHeight));
    return MakeIcon(1, kWidth, kHeight, bitmap);
  }());

  add("pcx Xmin > Xmax", MakePcx({.xMin = 40, .xMax = 39}));
  add("pcx BytesPerLine below the row width", MakePcx({.bytesPerLine = kWidth - 1}));
  add("pcx version 1", MakePcx({.version = 1}));
  add("pcx uncompressed", MakePcx({.encoding = 0}));
  add("pcx 8-bit 2 planes", MakePcx({.planes = 2}));
  add("pcx 8-bit without its palette", [] {
    ByteBuffer pcx = MakePcx({});
    pcx.resize(pcx.size() - 769);
    return pcx;
  }());
  return cases;
}

TEST_F(PictureSizeTest, CorruptOrUnknownDataGivesZero) {
  for (const BadCase& bad : CorruptPictures()) {
    const PictureSize size = Decode(bad.bytes);
    EXPECT_EQ(size.width, 0) << bad.name;
    EXPECT_EQ(size.height, 0) << bad.name;
  }
}

// Damaged copies of every sample, a few bytes overwritten at pseudo-random places: each
// gives 0 × 0 or a plausible size, never a crash (the sanitizer build checks every read).
TEST_F(PictureSizeTest, DamagedPicturesNeverCrash) {
  std::uint32_t state = 12345;
  auto random = [&state](std::uint32_t below) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % below;
  };
  for (const Sample& sample : ValidSamples()) {
    for (int round = 0; round < 200; ++round) {
      ByteBuffer damaged = sample.bytes;
      const std::uint32_t changes = 1 + random(4);
      for (std::uint32_t i = 0; i < changes; ++i) {
        damaged[random(static_cast<std::uint32_t>(damaged.size()))] =
            static_cast<unsigned char>(random(256));
      }
      const PictureSize size = Decode(damaged);
      const bool zero = size.width == 0 && size.height == 0;
      const bool plausible = size.width > 0 && size.height > 0 &&
                             std::int64_t{size.width} * size.height <= (std::int64_t{1} << 28);
      ASSERT_TRUE(zero || plausible)
          << sample.name << ", round " << round << ": " << size.width << " x " << size.height;
    }
  }
}

TEST_F(PictureSizeTest, NullDataGivesZero) {
  const PictureSize size = DecodePictureSize(nullptr, 100);
  EXPECT_EQ(size.width, 0);
  EXPECT_EQ(size.height, 0);
}

class ImageFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::path(::testing::TempDir()) /
              ("picture_size_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  Text Write(const std::string& name, const ByteBuffer& bytes) {
    const std::filesystem::path path = folder_ / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }

  std::filesystem::path folder_;
};

TEST_F(ImageFileTest, SizeComesFromTheContentNotTheName) {
  struct FileCase {
    std::string name;
    ByteBuffer bytes;
    int width;
    int height;
  };
  const std::vector<FileCase> cases = {
      {"png named as a jpeg.jpg", MakePng(kWidth, kHeight, false), kWidth, kHeight},
      {"gif named as a png.png", MakeGif({}), kWidth, kHeight},
      {"jpeg without extension", MakeJpeg(kWidth, kHeight, JpegKind::baseline), kWidth, kHeight},
      {"five bytes.bmp", {'B', 'M', 1, 2, 3}, 0, 0},
      {"text.jpg", {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'}, 0, 0},
  };
  for (const FileCase& file : cases) {
    const Text path = Write(file.name, file.bytes);
    EXPECT_EQ(ImageWidth(path), file.width) << file.name;
    EXPECT_EQ(ImageHeight(path), file.height) << file.name;
  }
}

// Width and height are read one after the other; a file rewritten in between must give the
// new picture's height, never the earlier picture's.
TEST_F(ImageFileTest, RewrittenFileGivesTheNewPicture) {
  const std::vector<ByteBuffer> pictures = {
      MakeJpeg(kWidth, kHeight, JpegKind::baseline), MakeJpeg(kHeight, kWidth, JpegKind::baseline),
      MakePng(kWidth, kHeight, false), {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't'}};
  const int heights[] = {kHeight, kWidth, kHeight, 0};
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    const Text path = Write("JDtemp.jpg", pictures[i]);
    EXPECT_EQ(ImageHeight(path), heights[i]) << "picture " << i;
    EXPECT_EQ(ImageHeight(path), heights[i]) << "picture " << i << ", read again";
  }
}

TEST_F(ImageFileTest, MissingFileGivesZero) {
  const Text path = (folder_ / "missing.jpg").string();
  EXPECT_EQ(ImageWidth(path), 0);
  EXPECT_EQ(ImageHeight(path), 0);
  EXPECT_EQ(ImageWidth(folder_.string()), 0) << "a folder";
  EXPECT_EQ(ImageWidth(""), 0);
}

}  // namespace
}  // namespace base
