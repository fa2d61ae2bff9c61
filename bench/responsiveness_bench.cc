// How long the window goes without handling events during a collection: the longest gap
// between two ticks of a 10 ms timer on the GUI thread while the collect button's run
// lists 10 pictures, every shop answer waiting kDelayMs first.
//
//   responsiveness_bench PICTURES [ROUNDS]
//
// PICTURES is a folder written by `sample_pictures bench`; its first 10 pictures are served.
// The program is the product's own start-up (app::RunProgram with app::CreateMainWindow);
// the benchmark only adds the timer and presses the button. Run it with a display or with
// QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/start_up.h"
#include "bench/bench_support.h"

namespace {

namespace fs = std::filesystem;

constexpr int kDelayMs = 200;
constexpr std::size_t kRows = 10;
constexpr int kTickMs = 10;

// The longest time between consecutive instants (the start and the end included).
double LongestGap(const std::vector<bench::Clock::time_point>& instants) {
  double longest = 0;
  for (std::size_t i = 1; i < instants.size(); ++i) {
    longest = std::max(longest, bench::Milliseconds(instants[i] - instants[i - 1]));
  }
  return longest;
}

// Ticks of a precise 10 ms timer from Start() to Stop().
class Ticker {
 public:
  Ticker() {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kTickMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { instants_.push_back(bench::Clock::now()); });
  }
  void Start() {
    instants_ = {bench::Clock::now()};
    timer_.start();
  }
  // The longest gap since Start() and the number of ticks.
  double Stop(std::size_t& ticks) {
    timer_.stop();
    ticks = instants_.size() - 1;
    instants_.push_back(bench::Clock::now());
    return LongestGap(instants_);
  }

 private:
  QTimer timer_;
  std::vector<bench::Clock::time_point> instants_;
};

// A folder with the first `count` pictures of `pictures` and their manifest lines.
bool MakeSubset(const fs::path& pictures, const fs::path& folder, std::size_t count) {
  fs::create_directories(folder);
  std::ifstream manifest(pictures / "manifest.tsv");
  std::ofstream subset(folder / "manifest.tsv");
  std::string line;
  std::size_t copied = 0;
  while (copied < count && std::getline(manifest, line)) {
    const std::string name = line.substr(0, line.find('\t'));
    std::error_code error;
    fs::copy_file(pictures / name, folder / name, error);
    if (error) return false;
    subset << line << '\n';
    ++copied;
  }
  return copied == count && static_cast<bool>(subset);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: responsiveness_bench PICTURES [ROUNDS]\n");
    return 2;
  }
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  bench::ScratchFolder scratch("responsiveness");
  const fs::path subset = scratch.path() / "pictures";
  support::FakeShop shop;
  if (!MakeSubset(argv[1], subset, kRows) || !shop.Running() || !bench::LoadCatalog(shop, subset) ||
      !shop.SetDelay(kDelayMs)) {
    std::fprintf(stderr, "responsiveness_bench: the fake shop did not start or load\n");
    return 1;
  }
  fs::create_directories(scratch.path() / "tmp");
  fs::create_directories(scratch.path() / "desktop");
  ::setenv("TMPDIR", (scratch.path() / "tmp").c_str(), 1);
  ::setenv("XDG_DESKTOP_DIR", (scratch.path() / "desktop").c_str(), 1);
  support::ScopedShopProxy proxy(shop);

  app::PrepareProcess();
  int qtArgc = 1;
  QApplication application(qtArgc, argv);
  QApplication::setApplicationName(QStringLiteral("Velkaro"));

  std::vector<double> longestGaps;
  std::vector<double> runMs;
  std::vector<std::size_t> tickCounts;
  double idleGap = 0;
  bool allRows = true;
  app::MainWindow* window = nullptr;

  // Once the window is up: an idle second for the timer's own precision, then the rounds,
  // then the window is closed and the program ends as usual.
  auto measure = [&] {
    Ticker ticker;
    std::size_t ticks = 0;
    ticker.Start();
    QTimer idle;
    idle.setSingleShot(true);
    QEventLoop loop;
    QObject::connect(&idle, &QTimer::timeout, &loop, &QEventLoop::quit);
    idle.start(1000);
    loop.exec();
    idleGap = ticker.Stop(ticks);
    for (int round = 0; round < rounds; ++round) {
      ticker.Start();
      const bench::Clock::time_point start = bench::Clock::now();
      window->collectButton()->click();  // returns when the collection has ended
      runMs.push_back(bench::Milliseconds(bench::Clock::now() - start));
      longestGaps.push_back(ticker.Stop(ticks));
      tickCounts.push_back(ticks);
      allRows = allRows && window->imageList().RowCount() == static_cast<int>(kRows);
    }
    window->close();
  };
  const int status = app::RunProgram(application, [&](QString& failure) {
    std::unique_ptr<app::MainWindow> created = app::CreateMainWindow(failure);
    window = created.get();
    if (window != nullptr) QTimer::singleShot(500, window, measure);
    return created;
  });
  if (status != 0 || longestGaps.size() != static_cast<std::size_t>(rounds) || !allRows) {
    std::fprintf(stderr, "responsiveness_bench: the collections did not complete (%zu rounds, rows %s)\n",
                 longestGaps.size(), allRows ? "ok" : "missing");
    return 1;
  }
  std::printf("Responsiveness: %zu rows, %d ms delay per answer, %d ms timer, platform %s\n", kRows,
              kDelayMs, kTickMs, qPrintable(QGuiApplication::platformName()));
  std::printf("idle second: longest gap %.1f ms\n", idleGap);
  for (int round = 0; round < rounds; ++round) {
    std::printf("round %d: collection %.0f ms, %zu ticks, longest gap %.1f ms\n", round + 1,
                runMs[static_cast<std::size_t>(round)], tickCounts[static_cast<std::size_t>(round)],
                longestGaps[static_cast<std::size_t>(round)]);
  }
  std::printf("FIGURE 3 responsiveness: longest gap median %.1f ms, worst %.1f ms (goal <= 50 ms)\n",
              bench::Median(longestGaps), *std::max_element(longestGaps.begin(), longestGaps.end()));
  return 0;
}
