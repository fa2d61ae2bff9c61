// Shared pieces of the timing programs: clocks, medians, a scratch folder, the fake shop
// loaded with sample pictures, running a command, and memory of a process tree.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "support/fake_shop.h"

namespace bench {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration duration);

// The middle value (the mean of the two middle ones for an even count); 0 when empty.
double Median(std::vector<double> values);

// User plus system CPU time of this process so far, in milliseconds.
double OwnCpuMilliseconds();

// The item whose big-image page the catalog serves, and its addresses.
extern const char kItemNumber[];
std::string ItemPageAddress();   // "http://item.jd.com/2122967.html", as typed by a user
std::string BigImageAddress();   // the big-image page the collection fetches

// A fresh empty folder under $TMPDIR (else /tmp), removed with everything in it at the end.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The picture files named in `pictures`/manifest.tsv, in manifest order; empty on failure.
std::vector<std::string> ManifestNames(const std::filesystem::path& pictures);

// The full-size address the shop serves the picture `name` at (the collection's rewrite of
// the page's path).
std::string PictureAddress(const std::string& name);

// Loads the pictures folder into `shop` as the item's big-image page and image routes
// (tests/fixtures/shop_catalog.py). False when that fails.
bool LoadCatalog(const support::FakeShop& shop, const std::filesystem::path& pictures);

// Wall and CPU time of a finished command.
struct CommandRun {
  double wallMs = 0;
  double cpuMs = 0;  // user + system of the command (its own children included)
  int exitCode = -1;
};

// Runs `argv` (the first is looked up on PATH) with stdout and stderr as ours and waits.
CommandRun RunCommand(const std::vector<std::string>& argv);

// Sum of the peak resident set sizes (VmHWM) of `root` and every process below it, in
// kilobytes. An upper bound of the tree's joint peak: the processes need not peak together.
long TreePeakKilobytes(pid_t root);
// Sum of the current resident set sizes (VmRSS) of the same processes.
long TreeResidentKilobytes(pid_t root);
// The number of processes in the tree (root included).
int TreeProcessCount(pid_t root);

// "AMD EPYC, 2 cores" style line for the report header.
std::string MachineLine();

}  // namespace bench
