// Time to read the width and then the height of a 4000 × 3000 picture of each format from a
// file, as the probe does: the first call decodes, the second reads the file again and finds
// the bytes it decoded last. "decode only" is one DecodePictureSize over bytes in memory.
//
//   picture_size_bench [folder for the two scratch files, default /tmp]
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "base/picture_size.h"
#include "support/picture_maker.h"

namespace {

using base::ByteBuffer;

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

// An icon whose one entry is a PNG (the only way an icon holds a picture this large).
ByteBuffer MakeIcon(const ByteBuffer& png) {
  ByteBuffer out = {0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 1, 0, 32, 0};
  support::PutLittle32(out, static_cast<std::uint32_t>(png.size()));
  support::PutLittle32(out, 22);
  out.insert(out.end(), png.begin(), png.end());
  return out;
}

// An 8-bit PCX picture with short runs, as photos give, and its palette.
ByteBuffer MakePcx() {
  ByteBuffer out = {0x0A, 5, 1, 8};
  for (int value : {0, 0, kWidth - 1, kHeight - 1, 72, 72}) support::PutLittle16(out, static_cast<std::uint32_t>(value));
  out.resize(65, 0);
  out.push_back(1);
  support::PutLittle16(out, kWidth);
  support::PutLittle16(out, 1);
  out.resize(128, 0);
  std::uint32_t state = 1;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth;) {
      state = state * 1664525u + 1013904223u;
      const int run = std::min(1 + static_cast<int>((state >> 28) & 3), kWidth - x);
      out.push_back(static_cast<unsigned char>(0xC0 | run));
      out.push_back(static_cast<unsigned char>(state >> 16));
      x += run;
    }
  }
  out.push_back(0x0C);
  out.resize(out.size() + 768, 0x80);
  return out;
}

void Write(const std::string& path, const ByteBuffer& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : "/tmp";
  const ByteBuffer png = support::MakePng(kWidth, kHeight);
  const std::vector<std::pair<std::string, ByteBuffer>> pictures = {
      {"jpeg q85", support::MakeJpeg(kWidth, kHeight, 85)},
      {"jpeg q95", support::MakeJpeg(kWidth, kHeight, 95)},
      {"png", png},
      {"bmp 24-bit", support::MakeBmp(kWidth, kHeight)},
      {"gif", support::MakeGif(kWidth, kHeight)},
      {"ico (png)", MakeIcon(png)},
      {"pcx 8-bit", MakePcx()},
  };
  // Another small file read between rounds, so each round's first call decodes afresh.
  const std::string other = folder + "/picture_size_bench_other.bin";
  Write(other, {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'});
  const std::string path = folder + "/picture_size_bench.bin";
  std::printf("%-12s %8s %12s %12s %12s %12s\n", "format", "file KB", "ImageWidth", "ImageHeight",
              "both", "decode only");
  using Clock = std::chrono::steady_clock;
  auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
  for (const auto& [name, bytes] : pictures) {
    Write(path, bytes);
    constexpr int kRounds = 5;
    double widthMs = 1e9;
    double heightMs = 1e9;
    double bothMs = 1e9;
    double decodeMs = 1e9;
    int width = 0;
    int height = 0;
    for (int round = 0; round < kRounds; ++round) {
      base::ImageWidth(other);
      const auto start = Clock::now();
      width = base::ImageWidth(path);
      const auto middle = Clock::now();
      height = base::ImageHeight(path);
      const auto end = Clock::now();
      base::DecodePictureSize(bytes.data(), bytes.size());
      const auto decoded = Clock::now();
      widthMs = std::min(widthMs, ms(middle - start));
      heightMs = std::min(heightMs, ms(end - middle));
      bothMs = std::min(bothMs, ms(end - start));
      decodeMs = std::min(decodeMs, ms(decoded - end));
    }
    std::printf("%-12s %8zu %9.1f ms %9.1f ms %9.1f ms %9.1f ms   (%d x %d)\n", name.c_str(),
                bytes.size() / 1024, widthMs, heightMs, bothMs, decodeMs, width, height);
  }
  std::remove(path.c_str());
  std::remove(other.c_str());
  return 0;
}
