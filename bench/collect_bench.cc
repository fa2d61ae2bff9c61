// Collecting and saving 100 images through the fake shop, side by side with the curl
// command fetching the same addresses in one process over reused connections.
//
//   collect_bench PICTURES [ROUNDS]
//
// PICTURES is a folder written by `sample_pictures bench`. Every shop answer waits
// kDelayMs first. Each round times the program's collection (CollectImageList over
// in-memory window parts, through the real request object), then curl fetching the same
// 101 addresses, then the program saving all 100 rows, then curl writing the same 100
// files. Prints each round and the medians.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/files.h"
#include "base/picture_size.h"
#include "bench/bench_support.h"
#include "collect/fake_window.h"
#include "collect/image_collection.h"
#include "collect/image_saving.h"
#include "platform/apartment.h"
#include "web/shared_request.h"

namespace {

constexpr int kDelayMs = 10;

namespace fs = std::filesystem;

// A curl --config file: each address with its output file.
void WriteCurlConfig(const fs::path& path, const std::vector<std::pair<std::string, std::string>>& jobs) {
  std::ofstream config(path);
  for (const auto& [address, output] : jobs) {
    config << "url = \"" << address << "\"\noutput = \"" << output << "\"\n";
  }
}

bench::CommandRun RunCurl(const support::FakeShop& shop, const fs::path& config) {
  // -q first: no ~/.curlrc. One process, one connection reused for every address.
  return bench::RunCommand({"curl", "-q", "-s", "-S", "--fail", "-x", shop.ProxyAddress(),
                            "--config", config.string()});
}

struct ProgramRun {
  double wallMs = 0;
  double cpuMs = 0;
};

// One collection into a fresh list; false when it did not list every picture with a size.
bool Collect(collect::FakeWindow& window, std::size_t expectedRows, ProgramRun& run) {
  window.imageList.DeleteAllRows();
  window.addressBox.text = bench::ItemPageAddress();
  const double cpuBefore = bench::OwnCpuMilliseconds();
  const bench::Clock::time_point start = bench::Clock::now();
  collect::CollectImageList(window.ports);
  run.wallMs = bench::Milliseconds(bench::Clock::now() - start);
  run.cpuMs = bench::OwnCpuMilliseconds() - cpuBefore;
  if (window.imageList.rows.size() != expectedRows) return false;
  for (const auto& row : window.imageList.rows) {
    if (row[4].rfind("0 ", 0) == 0 || row[2].empty()) return false;
  }
  return true;
}

bool Save(collect::FakeWindow& window, const fs::path& folder, ProgramRun& run) {
  fs::remove_all(folder);
  fs::create_directories(folder);
  window.saveDialog.answers.push_back((folder / "item").string());
  const double cpuBefore = bench::OwnCpuMilliseconds();
  const bench::Clock::time_point start = bench::Clock::now();
  collect::SaveAllImages(window.ports);
  run.wallMs = bench::Milliseconds(bench::Clock::now() - start);
  run.cpuMs = bench::OwnCpuMilliseconds() - cpuBefore;
  std::size_t files = 0;
  for (const auto& entry : fs::directory_iterator(folder)) files += entry.is_regular_file() ? 1 : 0;
  return files == window.imageList.rows.size();
}

// The program's own work per picture, without the shop: what the collection and the save do
// beyond downloading. Medians over `rounds` passes over all pictures.
void PrintOwnWork(const fs::path& pictures, const std::vector<std::string>& names,
                  const fs::path& scratch, int rounds) {
  std::vector<base::ByteBuffer> bodies;
  for (const std::string& name : names) {
    bodies.emplace_back();
    base::ReadFileBytes((pictures / name).string(), bodies.back(), std::size_t{64} << 20);
  }
  const std::string probeFile = (scratch / "JDtemp.jpg").string();
  std::vector<double> scratchWrites, sizes, savedWrites;
  for (int round = 0; round < rounds; ++round) {
    double scratchMs = 0, sizeMs = 0, savedMs = 0;
    for (std::size_t i = 0; i < bodies.size(); ++i) {
      bench::Clock::time_point start = bench::Clock::now();
      base::WriteFileBytes(probeFile, bodies[i], base::Durability::unflushed);
      scratchMs += bench::Milliseconds(bench::Clock::now() - start);
      start = bench::Clock::now();
      static_cast<void>(base::ImageWidth(probeFile) + base::ImageHeight(probeFile));
      sizeMs += bench::Milliseconds(bench::Clock::now() - start);
    }
    for (std::size_t i = 0; i < bodies.size(); ++i) {
      const bench::Clock::time_point start = bench::Clock::now();
      base::WriteFileBytes((scratch / ("saved" + std::to_string(i) + ".jpg")).string(), bodies[i]);
      savedMs += bench::Milliseconds(bench::Clock::now() - start);
    }
    scratchWrites.push_back(scratchMs);
    sizes.push_back(sizeMs);
    savedWrites.push_back(savedMs);
  }
  std::printf("own work for all %zu pictures (median of %d): probe file written %.0f ms, width + "
              "height read %.0f ms; saved file written (flushed to disk) %.0f ms\n",
              bodies.size(), rounds, bench::Median(scratchWrites), bench::Median(sizes),
              bench::Median(savedWrites));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: collect_bench PICTURES [ROUNDS]\n");
    return 2;
  }
  const fs::path pictures = argv[1];
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  const std::vector<std::string> names = bench::ManifestNames(pictures);
  if (names.empty()) {
    std::fprintf(stderr, "collect_bench: no pictures in %s\n", pictures.c_str());
    return 1;
  }

  support::FakeShop shop;
  if (!shop.Running() || !bench::LoadCatalog(shop, pictures) || !shop.SetDelay(kDelayMs)) {
    std::fprintf(stderr, "collect_bench: the fake shop did not start or load\n");
    return 1;
  }
  bench::ScratchFolder scratch("collect");
  fs::create_directories(scratch.path() / "tmp");
  fs::create_directories(scratch.path() / "desktop");
  ::setenv("TMPDIR", (scratch.path() / "tmp").c_str(), 1);
  ::setenv("XDG_DESKTOP_DIR", (scratch.path() / "desktop").c_str(), 1);
  support::ScopedShopProxy proxy(shop);

  // The same addresses for curl: the page, then every picture; for saving, every picture
  // into its own numbered file.
  std::vector<std::pair<std::string, std::string>> fetchJobs = {{bench::BigImageAddress(), "/dev/null"}};
  std::vector<std::pair<std::string, std::string>> saveJobs;
  const fs::path curlFolder = scratch.path() / "curl";
  for (std::size_t i = 0; i < names.size(); ++i) {
    fetchJobs.emplace_back(bench::PictureAddress(names[i]), "/dev/null");
    saveJobs.emplace_back(bench::PictureAddress(names[i]),
                          (curlFolder / ("item" + std::to_string(i + 1) + ".jpg")).string());
  }
  const fs::path fetchConfig = scratch.path() / "fetch.curl";
  const fs::path saveConfig = scratch.path() / "save.curl";
  WriteCurlConfig(fetchConfig, fetchJobs);
  WriteCurlConfig(saveConfig, saveJobs);

  platform::InitializeOle();
  web::AllocateSharedRequest();
  bool requestMade = true;
  web::CreateSharedRequest([&requestMade](const base::Text&, const base::Text&) { requestMade = false; });
  if (!requestMade) {
    std::fprintf(stderr, "collect_bench: no request object\n");
    return 1;
  }

  std::printf("Collection and saving: %zu pictures + 1 page, %d ms delay per answer, %d rounds\n",
              names.size(), kDelayMs, rounds);
  std::printf("%5s | %10s %10s %6s %7s | %10s %10s %6s\n", "round", "collect ms", "curl ms",
              "ratio", "cpu %", "save ms", "curl ms", "ratio");
  collect::FakeWindow window;
  bool ok = true;
  std::vector<double> collectRatios, saveRatios, cpuShares, collectMs, fetchMs, saveMs, writeMs;
  // Round 0 warms the page cache, the shop and the connections, and is not counted.
  for (int round = 0; round <= rounds && ok; ++round) {
    ProgramRun collected;
    ProgramRun saved;
    ok = Collect(window, names.size(), collected);
    const bench::CommandRun fetched = RunCurl(shop, fetchConfig);
    ok = ok && fetched.exitCode == 0;
    ok = ok && Save(window, scratch.path() / "desktop", saved);
    fs::remove_all(curlFolder);
    fs::create_directories(curlFolder);
    const bench::CommandRun written = RunCurl(shop, saveConfig);
    ok = ok && written.exitCode == 0;
    if (!ok) break;
    const double cpuShare = 100.0 * collected.cpuMs / collected.wallMs;
    std::printf("%5s | %10.0f %10.0f %6.3f %6.1f%% | %10.0f %10.0f %6.3f\n",
                round == 0 ? "warm" : std::to_string(round).c_str(), collected.wallMs,
                fetched.wallMs, collected.wallMs / fetched.wallMs, cpuShare, saved.wallMs,
                written.wallMs, saved.wallMs / written.wallMs);
    if (round == 0) continue;
    collectRatios.push_back(collected.wallMs / fetched.wallMs);
    saveRatios.push_back(saved.wallMs / written.wallMs);
    cpuShares.push_back(cpuShare);
    collectMs.push_back(collected.wallMs);
    fetchMs.push_back(fetched.wallMs);
    saveMs.push_back(saved.wallMs);
    writeMs.push_back(written.wallMs);
  }
  web::ReleaseSharedRequest();
  platform::UninitializeOle();
  if (!ok) {
    std::fprintf(stderr, "collect_bench: a run did not complete (rows, files or curl failed)\n");
    return 1;
  }
  std::printf("FIGURE 1 collection: median %.0f ms vs curl %.0f ms, ratio %.3f (goal <= 1.10); "
              "CPU %.1f%% of wall time\n",
              bench::Median(collectMs), bench::Median(fetchMs), bench::Median(collectRatios),
              bench::Median(cpuShares));
  fs::create_directories(scratch.path() / "own");
  PrintOwnWork(pictures, names, scratch.path() / "own", rounds);
  std::printf("FIGURE 2 saving: median %.0f ms vs curl %.0f ms, ratio %.3f (goal <= 1.10)\n",
              bench::Median(saveMs), bench::Median(writeMs), bench::Median(saveRatios));
  return 0;
}
