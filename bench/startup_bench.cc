// Start-up time and memory of the whole program.
//
//   startup_bench PICTURES [ROUNDS]
//
// Each round starts this program again as a child ("--child"), which runs the product's own
// start-up (app::PrepareProcess, QApplication, app::RunProgram with app::CreateMainWindow);
// the benchmark only watches for the window's first paint, then presses the collect button
// once (100 pictures from the fake shop, kDelayMs per answer) and waits for the preview to
// load the first picture. The parent times from just before it starts the child to the
// child's report of that first paint, samples the resident memory of the child's whole
// process tree (Qt WebEngine's processes included) while it runs, and once the collection
// and the preview are done reads the peak of every process in the tree. Needs a display
// (xvfb-run) or QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>
#include <QWebEngineView>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/start_up.h"
#include "bench/bench_support.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kDelayMs = 10;
constexpr int kPreviewWaitMs = 10000;
constexpr int kChildTimeoutMs = 120000;

void Report(int fd, const std::string& line) {
  const std::string text = line + "\n";
  if (write(fd, text.data(), text.size()) < 0) std::perror("startup_bench: report");
}

// Tells `report` once, at the first paint of the watched window.
class FirstPaint : public QObject {
 public:
  FirstPaint(int reportFd, std::function<void()> then) : reportFd_(reportFd), then_(std::move(then)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!seen_ && event->type() == QEvent::Paint) {
      seen_ = true;
      Report(reportFd_, "shown");
      QTimer::singleShot(0, this, then_);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  int reportFd_;
  std::function<void()> then_;
  bool seen_ = false;
};

// The program as the user starts it, plus the watching described above. Reports "shown",
// then "collected ROWS PREVIEW" (PREVIEW 1 when the first picture loaded), then closes the
// window when a byte (or end of file) arrives on `commandFd`.
int RunChild(int argc, char** argv, int reportFd, int commandFd) {
  app::PrepareProcess();
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Velkaro"));

  app::MainWindow* window = nullptr;
  std::unique_ptr<FirstPaint> watcher;
  std::unique_ptr<QSocketNotifier> command;
  auto collect = [&] {
    bool loaded = false;
    QEventLoop previewLoop;
    QObject::connect(window->preview().widget(), &QWebEngineView::loadFinished, &previewLoop,
                     [&](bool ok) {
                       loaded = ok;
                       previewLoop.quit();
                     });
    const bench::Clock::time_point start = bench::Clock::now();
    window->collectButton()->click();  // returns when the collection has ended
    const double clickMs = bench::Milliseconds(bench::Clock::now() - start);
    if (!loaded) {
      QTimer::singleShot(kPreviewWaitMs, &previewLoop, &QEventLoop::quit);
      previewLoop.exec();
    }
    Report(reportFd, "collected " + std::to_string(window->imageList().RowCount()) + " " +
                         std::to_string(clickMs) + " " + (loaded ? "1" : "0"));
    command = std::make_unique<QSocketNotifier>(commandFd, QSocketNotifier::Read);
    QObject::connect(command.get(), &QSocketNotifier::activated, window, [&] {
      command->setEnabled(false);
      window->close();
    });
  };
  return app::RunProgram(application, [&](QString& failure) {
    std::unique_ptr<app::MainWindow> created = app::CreateMainWindow(failure);
    window = created.get();
    if (window != nullptr) {
      watcher = std::make_unique<FirstPaint>(reportFd, collect);
      window->installEventFilter(watcher.get());
    }
    return created;
  });
}

struct Round {
  double startupMs = 0;
  double collectMs = 0;  // the collect button's run
  double previewMs = 0;  // from the first paint to the preview's load
  long peakSumKb = 0;    // sum of every process's own peak
  long sampledPeakKb = 0;  // largest sampled sum of resident sizes
  int processes = 0;
  int rows = 0;
  bool previewLoaded = false;
};

// One start of the child, watched to its end. False when it did not get through.
bool RunRound(const char* self, const fs::path& scratch, Round& round) {
  int toParent[2];
  int toChild[2];
  if (pipe(toParent) != 0 || pipe(toChild) != 0) return false;
  fcntl(toParent[0], F_SETFD, FD_CLOEXEC);
  fcntl(toChild[1], F_SETFD, FD_CLOEXEC);
  const std::string reportFd = std::to_string(toParent[1]);
  const std::string commandFd = std::to_string(toChild[0]);
  char child[] = "--child";
  std::vector<char*> argv = {const_cast<char*>(self), child, const_cast<char*>(reportFd.c_str()),
                             const_cast<char*>(commandFd.c_str()), nullptr};
  fs::remove_all(scratch / "tmp");
  fs::create_directories(scratch / "tmp");
  pid_t pid = -1;
  const bench::Clock::time_point start = bench::Clock::now();
  const int spawned = posix_spawn(&pid, self, nullptr, nullptr, argv.data(), environ);
  close(toParent[1]);
  close(toChild[0]);
  if (spawned != 0) return false;

  bench::Clock::time_point shown{};
  std::string received;
  bool collected = false;
  while (!collected && bench::Milliseconds(bench::Clock::now() - start) < kChildTimeoutMs) {
    pollfd wait{toParent[0], POLLIN, 0};
    const int ready = poll(&wait, 1, 100);
    round.sampledPeakKb = std::max(round.sampledPeakKb, bench::TreeResidentKilobytes(pid));
    if (ready <= 0) continue;
    char buffer[256];
    const ssize_t got = read(toParent[0], buffer, sizeof buffer);
    if (got <= 0) break;  // the child ended early
    received.append(buffer, static_cast<std::size_t>(got));
    std::size_t end;
    while ((end = received.find('\n')) != std::string::npos) {
      const std::string line = received.substr(0, end);
      received.erase(0, end + 1);
      if (line == "shown") {
        shown = bench::Clock::now();
        round.startupMs = bench::Milliseconds(shown - start);
      } else if (line.rfind("collected ", 0) == 0) {
        round.previewMs = bench::Milliseconds(bench::Clock::now() - shown);
        char* rest = nullptr;
        round.rows = static_cast<int>(std::strtol(line.c_str() + 10, &rest, 10));
        round.collectMs = std::strtod(rest, nullptr);
        round.previewLoaded = line.back() == '1';
        round.peakSumKb = bench::TreePeakKilobytes(pid);
        round.processes = bench::TreeProcessCount(pid);
        collected = true;
      }
    }
  }
  if (write(toChild[1], "q", 1) < 0) kill(pid, SIGTERM);
  close(toChild[1]);
  close(toParent[0]);
  int status = 0;
  for (int waited = 0; waitpid(pid, &status, WNOHANG) == 0; waited += 50) {
    if (waited > 30000) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    usleep(50000);
  }
  return collected && round.startupMs > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double Mib(long kilobytes) { return static_cast<double>(kilobytes) / 1024.0; }

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--child") == 0) {
    int qtArgc = 1;
    return RunChild(qtArgc, argv, std::atoi(argv[2]), std::atoi(argv[3]));
  }
  if (argc < 2) {
    std::fprintf(stderr, "usage: startup_bench PICTURES [ROUNDS]\n");
    return 2;
  }
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  const std::vector<std::string> names = bench::ManifestNames(argv[1]);
  support::FakeShop shop;
  if (names.empty() || !shop.Running() || !bench::LoadCatalog(shop, argv[1]) || !shop.SetDelay(kDelayMs)) {
    std::fprintf(stderr, "startup_bench: the fake shop did not start or load\n");
    return 1;
  }
  bench::ScratchFolder scratch("startup");
  fs::create_directories(scratch.path() / "desktop");
  ::setenv("TMPDIR", (scratch.path() / "tmp").c_str(), 1);
  ::setenv("XDG_DESKTOP_DIR", (scratch.path() / "desktop").c_str(), 1);
  support::ScopedShopProxy proxy(shop);

  const char* platform = std::getenv("QT_QPA_PLATFORM");
  std::printf("Start-up and memory: %d rounds, %zu-row collection with %d ms delay per answer, "
              "platform %s\n",
              rounds, names.size(), kDelayMs, platform != nullptr ? platform : "default (DISPLAY)");
  std::vector<Round> done;
  for (int index = 0; index < rounds; ++index) {
    Round round;
    if (!RunRound("/proc/self/exe", scratch.path(), round) ||
        round.rows != static_cast<int>(names.size())) {
      std::fprintf(stderr, "startup_bench: round %d did not complete (rows %d)\n", index + 1, round.rows);
      return 1;
    }
    std::printf("round %d: window shown after %.0f ms; collection %.0f ms, preview loaded %.0f ms "
                "after the first paint (%s); %d processes, peak %.0f MiB (sum of each one's peak), "
                "%.0f MiB (largest sampled sum)\n",
                index + 1, round.startupMs, round.collectMs, round.previewMs,
                round.previewLoaded ? "loaded" : "NOT loaded",
                round.processes, Mib(round.peakSumKb), Mib(round.sampledPeakKb));
    done.push_back(round);
  }
  std::vector<double> startups, peaks, sampled;
  for (const Round& round : done) {
    startups.push_back(round.startupMs);
    peaks.push_back(Mib(round.peakSumKb));
    sampled.push_back(Mib(round.sampledPeakKb));
  }
  std::printf("FIGURE 4 start-up: process start to window shown, median %.0f ms\n", bench::Median(startups));
  std::printf("FIGURE 4 memory after a %zu-row collection: peak %.0f MiB over %d processes (sum of "
              "each one's peak, median), largest sampled sum %.0f MiB\n",
              names.size(), bench::Median(peaks), done.back().processes, bench::Median(sampled));
  return 0;
}
