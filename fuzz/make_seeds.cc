// Writes the tiny pictures the picture-size corpora started from, and the call scripts the
// calls-by-name corpus started from, one folder per harness:
//   fuzz_seeds <folder>   →   <folder>/<harness>/<name>
// Each is a valid picture (checked here) a few pixels in size, so the fuzzer begins inside every branch
// of the readers rather than at their signature checks.
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "base/picture_size.h"
#include "support/picture_maker.h"

namespace {

using base::ByteBuffer;

void AppendPng(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<ByteBuffer*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

// A PNG through the classic writer, which can also interlace and write palettes.
ByteBuffer Png(int width, int height, int colorType, int bitDepth, bool interlaced) {
  ByteBuffer out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png)) != 0) throw std::runtime_error("png write");
  png_set_write_fn(png, &out, AppendPng, nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
               bitDepth, colorType, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (colorType == PNG_COLOR_TYPE_PALETTE) {
    png_color palette[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    png_set_PLTE(png, info, palette, 4);
  }
  png_write_info(png, info);
  const int passes = png_set_interlace_handling(png);
  std::vector<unsigned char> row(png_get_rowbytes(png, info));
  for (std::size_t i = 0; i < row.size(); ++i) row[i] = static_cast<unsigned char>(i & 0x11);
  for (int pass = 0; pass < passes; ++pass) {
    for (int y = 0; y < height; ++y) png_write_row(png, row.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

// A GIF with a graphic control extension and an application extension before its image.
ByteBuffer GifWithExtensions() {
  ByteBuffer gif = support::MakeGif(2, 2);
  const std::size_t imageAt = 13 + 3 * 256;
  const ByteBuffer extensions = {0x21, 0xF9, 4, 1, 0, 0, 0, 0,  //
                                 0x21, 0xFF, 3, 'A', 'B', 'C', 1, 'x', 0};
  gif.insert(gif.begin() + static_cast<std::ptrdiff_t>(imageAt), extensions.begin(),
             extensions.end());
  return gif;
}

// A GIF with a 4-entry table and LZW codes of 3 bits, so codes grow as the table fills.
ByteBuffer SmallGif() {
  return {'G', 'I', 'F', '8', '7', 'a', 3, 0, 2, 0, 0x81, 0, 0,   // screen, 4 colours
          0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 255, 0,          // colour table
          0x2C, 0, 0, 0, 0, 3, 0, 2, 0, 0,                       // image 3 × 2
          2, 3, 0x84, 0x0D, 0x05, 0,                             // LZW data
          0x3B};
}

// The DIB info header (40 bytes) of a width × height bitmap.
ByteBuffer InfoHeader(std::int32_t width, std::int32_t height, unsigned bits,
                      std::uint32_t compression, std::uint32_t colorsUsed) {
  ByteBuffer out;
  support::PutLittle32(out, 40);
  support::PutLittle32(out, static_cast<std::uint32_t>(width));
  support::PutLittle32(out, static_cast<std::uint32_t>(height));
  support::PutLittle16(out, 1);
  support::PutLittle16(out, bits);
  support::PutLittle32(out, compression);
  support::PutLittle32(out, 0);
  support::PutLittle32(out, 2835);
  support::PutLittle32(out, 2835);
  support::PutLittle32(out, colorsUsed);
  support::PutLittle32(out, 0);
  return out;
}

// A bitmap file around an info header, a table and pixel data.
ByteBuffer Bmp(const ByteBuffer& header, const ByteBuffer& table, const ByteBuffer& pixels) {
  const auto offset = static_cast<std::uint32_t>(14 + header.size() + table.size());
  ByteBuffer out = {'B', 'M'};
  support::PutLittle32(out, offset + static_cast<std::uint32_t>(pixels.size()));
  support::PutLittle32(out, 0);
  support::PutLittle32(out, offset);
  out.insert(out.end(), header.begin(), header.end());
  out.insert(out.end(), table.begin(), table.end());
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

std::vector<std::pair<std::string, ByteBuffer>> Bitmaps() {
  std::vector<std::pair<std::string, ByteBuffer>> out;
  out.emplace_back("24bit.bmp", support::MakeBmp(3, 2));
  out.emplace_back("8bit-topdown.bmp",
                   Bmp(InfoHeader(3, -2, 8, 0, 2), ByteBuffer(8, 0x40), ByteBuffer(8, 1)));
  out.emplace_back("1bit.bmp", Bmp(InfoHeader(9, 2, 1, 0, 0), ByteBuffer(8, 0x80), ByteBuffer(8, 0xAA)));
  out.emplace_back("rle8.bmp", Bmp(InfoHeader(4, 3, 8, 1, 2), ByteBuffer(8, 0x10),
                                   {4, 1, 0, 0, 0, 3, 1, 0, 1, 0, 0, 2, 1, 1, 0, 0, 0, 1}));
  out.emplace_back("rle4.bmp", Bmp(InfoHeader(5, 2, 4, 2, 3), ByteBuffer(12, 0x20),
                                   {5, 0x12, 0, 0, 0, 5, 0x12, 0x10, 0x20, 0, 0, 1}));
  ByteBuffer masks;
  support::PutLittle32(masks, 0xF800);
  support::PutLittle32(masks, 0x07E0);
  support::PutLittle32(masks, 0x001F);
  out.emplace_back("16bit-fields.bmp", Bmp(InfoHeader(2, 2, 16, 3, 0), masks, ByteBuffer(8, 7)));
  out.emplace_back("32bit.bmp", Bmp(InfoHeader(2, 1, 32, 0, 0), {}, ByteBuffer(8, 9)));
  ByteBuffer core;
  support::PutLittle32(core, 12);
  support::PutLittle16(core, 2);
  support::PutLittle16(core, 2);
  support::PutLittle16(core, 1);
  support::PutLittle16(core, 4);
  out.emplace_back("core-4bit.bmp", Bmp(core, ByteBuffer(48, 3), ByteBuffer(8, 0x11)));
  return out;
}

// An icon (type 1) or cursor (type 2) directory of one entry around `image`.
ByteBuffer Icon(std::uint16_t type, unsigned char width, unsigned char height,
                const ByteBuffer& image) {
  ByteBuffer out;
  support::PutLittle16(out, 0);
  support::PutLittle16(out, type);
  support::PutLittle16(out, 1);
  out.push_back(width);
  out.push_back(height);
  out.push_back(0);
  out.push_back(0);
  support::PutLittle16(out, 1);
  support::PutLittle16(out, 32);
  support::PutLittle32(out, static_cast<std::uint32_t>(image.size()));
  support::PutLittle32(out, 22);
  out.insert(out.end(), image.begin(), image.end());
  return out;
}

// A header-less icon bitmap: info header with doubled height, colour rows, mask rows.
ByteBuffer IconBitmap(int width, int height, unsigned bits) {
  ByteBuffer out = InfoHeader(width, 2 * height, bits, 0, 0);
  if (bits <= 8) out.resize(out.size() + (4u << bits), 0x55);
  const std::size_t colorStride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
  const std::size_t maskStride = (static_cast<std::size_t>(width) + 31) / 32 * 4;
  out.resize(out.size() + (colorStride + maskStride) * static_cast<std::size_t>(height), 0x33);
  return out;
}

// A PCX picture; `rows` of run-length data follow the header (and the palette after them
// for a version-5 8-bit picture).
ByteBuffer Pcx(unsigned version, unsigned bits, unsigned planes, unsigned width, unsigned height,
               unsigned bytesPerLine) {
  ByteBuffer out = {0x0A, static_cast<unsigned char>(version), 1, static_cast<unsigned char>(bits)};
  support::PutLittle16(out, 0);
  support::PutLittle16(out, 0);
  support::PutLittle16(out, width - 1);
  support::PutLittle16(out, height - 1);
  out.resize(65, 0);
  out.push_back(static_cast<unsigned char>(planes));
  support::PutLittle16(out, bytesPerLine);
  out.resize(128, 0);
  for (unsigned row = 0; row < height * planes; ++row) {
    out.push_back(static_cast<unsigned char>(0xC0 | bytesPerLine));  // one run per line
    out.push_back(0x5A);
  }
  if (version == 5 && bits == 8 && planes == 1) {
    out.push_back(0x0C);
    out.resize(out.size() + 768, 0x21);
  }
  return out;
}

// Scripts for the calls-by-name harness, in its format: per call a kind byte (0 get,
// 1 put, 2 method), a pool index, a name index, an argument count and the arguments.
class ScriptWriter {
 public:
  enum Kind { kGet = 0, kPut = 1, kMethod = 2 };
  // Pool: 0 the engine, 1 a fake object, 2 an opaque one, 3 a stale one, 4 none, then each
  // object a call gave back, in order.
  enum Name { kIgnoreCase = 0, kMultiline, kGlobal, kPattern, kExecute, kReplace, kCount,
              kItem, kValue, kFirstIndex, kLength, kSubMatches, kSingleline, kEcho, kSum,
              kFail, kThrow, kChild, kBytes };

  static ByteBuffer Bool(bool value) { return {1, static_cast<unsigned char>(value)}; }
  static ByteBuffer Int(std::int32_t value) {
    ByteBuffer out = {2};
    support::PutLittle32(out, static_cast<std::uint32_t>(value));
    return out;
  }
  static ByteBuffer Special(unsigned char index) { return {3, index}; }
  static ByteBuffer Text(const std::string& text) {
    ByteBuffer out = {4, static_cast<unsigned char>(text.size())};
    out.insert(out.end(), text.begin(), text.end());
    return out;
  }
  static ByteBuffer Object(unsigned char index) { return {8, index}; }

  ScriptWriter& Call(Kind kind, unsigned char target, Name name, std::vector<ByteBuffer> arguments = {}) {
    out_.push_back(static_cast<unsigned char>(kind));
    out_.push_back(target);
    out_.push_back(static_cast<unsigned char>(name));
    out_.push_back(static_cast<unsigned char>(arguments.size()));
    for (const ByteBuffer& argument : arguments) out_.insert(out_.end(), argument.begin(), argument.end());
    return *this;
  }
  ByteBuffer Bytes() const { return out_; }

 private:
  ByteBuffer out_;
};

std::vector<std::pair<std::string, ByteBuffer>> Scripts() {
  using S = ScriptWriter;
  std::vector<std::pair<std::string, ByteBuffer>> out;
  // Groups that take part or not, then every way of reading the result.
  out.emplace_back("groups", S()
      .Call(S::kPut, 0, S::kPattern, {S::Text("(a)|b(c)?")})
      .Call(S::kPut, 0, S::kGlobal, {S::Bool(true)})
      .Call(S::kMethod, 0, S::kExecute, {S::Text("abcab\r\nbc")})
      .Call(S::kGet, 5, S::kCount)
      .Call(S::kGet, 5, S::kItem, {S::Int(1)})
      .Call(S::kGet, 6, S::kSubMatches)
      .Call(S::kGet, 7, S::kItem, {S::Special(3)})
      .Call(S::kMethod, 0, S::kReplace, {S::Text("abcb"), S::Text("<$1|$2|$&|$`|$'|$$|$9|$01>")})
      .Bytes());
  // A pattern that backtracks without end: the match limit ends the run.
  out.emplace_back("match-limit", S()
      .Call(S::kPut, 0, S::kPattern, {S::Text("(a+)+$")})
      .Call(S::kMethod, 0, S::kExecute, {S::Text(std::string(40, 'a') + "b")})
      .Bytes());
  // Options written as other types; anchors at each line break; empty matches.
  out.emplace_back("options", S()
      .Call(S::kPut, 0, S::kIgnoreCase, {S::Text("TRUE")})
      .Call(S::kPut, 0, S::kMultiline, {S::Int(1)})
      .Call(S::kPut, 0, S::kGlobal, {S::Special(2)})
      .Call(S::kPut, 0, S::kPattern, {S::Text("^A$|x*")})
      .Call(S::kMethod, 0, S::kExecute, {S::Text("a\r\nA\nb\r\n")})
      .Call(S::kMethod, 0, S::kReplace, {S::Int(-12), S::Text("[$&]")})
      .Call(S::kPut, 0, S::kSingleline, {S::Bool(true)})
      .Call(S::kGet, 0, S::kPattern)
      .Bytes());
  // \K and look-behind move where a match starts.
  out.emplace_back("start-moves", S()
      .Call(S::kPut, 0, S::kGlobal, {S::Bool(true)})
      .Call(S::kPut, 0, S::kPattern, {S::Text("a\\K|(?<=a)b\\x41\\u0042")})
      .Call(S::kMethod, 0, S::kExecute, {S::Text("aabAB")})
      .Call(S::kMethod, 0, S::kReplace, {S::Text("aabAB"), S::Text("$0$10")})
      .Bytes());
  // The fake objects: every kind of member, failures, children, objects as arguments.
  out.emplace_back("fake", S()
      .Call(S::kPut, 1, S::kValue, {S::Text(" 12.5 ")})
      .Call(S::kGet, 1, S::kBytes)
      .Call(S::kMethod, 1, S::kSum, {S::Text(" 1e3"), S::Special(6), S::Bool(true)})
      .Call(S::kGet, 1, S::kChild)
      .Call(S::kPut, 5, S::kValue, {S::Object(0)})
      .Call(S::kMethod, 5, S::kEcho, {S::Object(5), S::Int(3)})
      .Call(S::kGet, 1, S::kItem, {S::Special(4)})
      .Call(S::kMethod, 1, S::kItem, {S::Bool(false), S::Bool(true)})
      .Call(S::kMethod, 1, S::kThrow)
      .Call(S::kMethod, 1, S::kFail, {S::Int(1), S::Int(2), S::Int(3)})
      .Call(S::kGet, 2, S::kValue)
      .Call(S::kGet, 3, S::kValue)
      .Call(S::kMethod, 3, S::kEcho, {S::Int(0)})
      .Call(S::kGet, 4, S::kValue)
      .Bytes());
  return out;
}

void Write(const std::filesystem::path& folder, const std::string& name, const ByteBuffer& bytes) {
  std::filesystem::create_directories(folder);
  std::ofstream file(folder / name, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot write " + (folder / name).string());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds <folder>\n");
    return 2;
  }
  const std::filesystem::path root = argv[1];
  std::vector<std::pair<std::string, std::vector<std::pair<std::string, ByteBuffer>>>> sets;
  sets.push_back({"jpeg_size_fuzzer",
                  {{"baseline.jpg", support::MakeJpeg(3, 2, 50)},
                   {"grey.jpg", support::MakeJpeg(9, 3, 50, 1, support::JpegMode::grey)},
                   {"progressive.jpg", support::MakeJpeg(17, 9, 50, 1, support::JpegMode::progressive)}}});
  sets.push_back({"png_size_fuzzer",
                  {{"rgb.png", support::MakePng(3, 2)},
                   {"interlaced.png", Png(9, 9, PNG_COLOR_TYPE_RGB, 8, true)},
                   {"palette.png", Png(5, 3, PNG_COLOR_TYPE_PALETTE, 2, false)},
                   {"grey16.png", Png(2, 2, PNG_COLOR_TYPE_GRAY_ALPHA, 16, false)}}});
  sets.push_back({"gif_size_fuzzer",
                  {{"small.gif", SmallGif()},
                   {"8bit.gif", support::MakeGif(3, 2)},
                   {"extensions.gif", GifWithExtensions()}}});
  sets.push_back({"bmp_size_fuzzer", Bitmaps()});
  sets.push_back({"icon_size_fuzzer",
                  {{"32bit.ico", Icon(1, 2, 2, IconBitmap(2, 2, 32))},
                   {"4bit.ico", Icon(1, 3, 2, IconBitmap(3, 2, 4))},
                   {"png.ico", Icon(1, 0, 0, support::MakePng(3, 2))},
                   {"1bit.cur", Icon(2, 9, 1, IconBitmap(9, 1, 1))}}});
  sets.push_back({"pcx_size_fuzzer",
                  {{"8bit-palette.pcx", Pcx(5, 8, 1, 4, 2, 4)},
                   {"1bit-4planes.pcx", Pcx(2, 1, 4, 9, 2, 2)},
                   {"24bit.pcx", Pcx(5, 8, 3, 3, 2, 4)}}});
  // The dispatch sees one of each.
  std::vector<std::pair<std::string, ByteBuffer>> all;
  for (const auto& [harness, seeds] : sets) all.push_back(seeds.front());
  sets.push_back({"picture_size_fuzzer", all});

  for (const auto& [name, bytes] : Scripts()) Write(root / "call_by_name_fuzzer", name, bytes);
  for (const auto& [harness, seeds] : sets) {
    for (const auto& [name, bytes] : seeds) {
      // A seed that does not decode would start the fuzzer outside the reader it aims at.
      if (base::DecodePictureSize(bytes.data(), bytes.size()).width == 0) {
        std::fprintf(stderr, "fuzz_seeds: %s does not decode\n", name.c_str());
        return 1;
      }
      Write(root / harness, name, bytes);
    }
  }
  return 0;
}
