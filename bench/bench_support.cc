#include "bench/bench_support.h"

#include <dirent.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

extern char** environ;

namespace bench {
namespace {

double TimevalMilliseconds(const timeval& value) {
  return static_cast<double>(value.tv_sec) * 1000.0 + static_cast<double>(value.tv_usec) / 1000.0;
}

// Parent of every process now running, from /proc/<pid>/stat.
std::map<pid_t, pid_t> ParentsOfAll() {
  std::map<pid_t, pid_t> parents;
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return parents;
  while (dirent* entry = readdir(proc)) {
    const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
    if (pid <= 0) continue;
    std::ifstream stat("/proc/" + std::string(entry->d_name) + "/stat");
    std::string text;
    std::getline(stat, text);
    // The command name may hold spaces and parentheses: the fields after it follow the last ')'.
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream fields(text.substr(close + 1));
    std::string state;
    long parent = 0;
    fields >> state >> parent;
    parents[pid] = static_cast<pid_t>(parent);
  }
  closedir(proc);
  return parents;
}

std::vector<pid_t> Tree(pid_t root) {
  const std::map<pid_t, pid_t> parents = ParentsOfAll();
  std::vector<pid_t> tree = {root};
  for (std::size_t i = 0; i < tree.size(); ++i) {
    for (const auto& [pid, parent] : parents) {
      if (parent == tree[i]) tree.push_back(pid);
    }
  }
  return tree;
}

// A "Name:   1234 kB" field of /proc/<pid>/status; 0 when missing.
long StatusKilobytes(pid_t pid, const std::string& field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ":", 0) == 0) return std::atol(line.c_str() + field.size() + 1);
  }
  return 0;
}

long SumOverTree(pid_t root, const std::string& field) {
  long total = 0;
  for (pid_t pid : Tree(root)) total += StatusKilobytes(pid, field);
  return total;
}

}  // namespace

double Milliseconds(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double OwnCpuMilliseconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return TimevalMilliseconds(usage.ru_utime) + TimevalMilliseconds(usage.ru_stime);
}

const char kItemNumber[] = "2122967";

std::string ItemPageAddress() { return std::string("http://item.jd.com/") + kItemNumber + ".html"; }

std::string BigImageAddress() {
  return std::string("http://item.jd.com/bigimage.aspx?id=") + kItemNumber;
}

ScratchFolder::ScratchFolder(const std::string& name) {
  const char* tmp = std::getenv("TMPDIR");
  path_ = std::filesystem::path(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") /
          ("velkaro-bench-" + name + "-" + std::to_string(getpid()));
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> ManifestNames(const std::filesystem::path& pictures) {
  std::vector<std::string> names;
  std::ifstream manifest(pictures / "manifest.tsv");
  std::string line;
  while (std::getline(manifest, line)) {
    const std::size_t tab = line.find('\t');
    if (tab != std::string::npos && tab > 0) names.push_back(line.substr(0, tab));
  }
  return names;
}

std::string PictureAddress(const std::string& name) {
  return "http://img10.360buyimg.com/imgzone/jfs/sample/" + name;
}

bool LoadCatalog(const support::FakeShop& shop, const std::filesystem::path& pictures) {
  const CommandRun run = RunCommand({"python3", VELKARO_FIXTURES_DIR "/shop_catalog.py",
                                     std::to_string(shop.Port()), pictures.string(), "--item",
                                     kItemNumber});
  return run.exitCode == 0;
}

CommandRun RunCommand(const std::vector<std::string>& argv) {
  std::vector<char*> pointers;
  for (const std::string& argument : argv) pointers.push_back(const_cast<char*>(argument.c_str()));
  pointers.push_back(nullptr);
  CommandRun run;
  const Clock::time_point start = Clock::now();
  pid_t pid = -1;
  if (posix_spawnp(&pid, pointers[0], nullptr, nullptr, pointers.data(), environ) != 0) return run;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return run;
  run.wallMs = Milliseconds(Clock::now() - start);
  run.cpuMs = TimevalMilliseconds(usage.ru_utime) + TimevalMilliseconds(usage.ru_stime);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

long TreePeakKilobytes(pid_t root) { return SumOverTree(root, "VmHWM"); }

long TreeResidentKilobytes(pid_t root) { return SumOverTree(root, "VmRSS"); }

int TreeProcessCount(pid_t root) { return static_cast<int>(Tree(root).size()); }

std::string MachineLine() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  std::string model = "unknown CPU";
  while (std::getline(cpuinfo, line)) {
    if (line.rfind("model name", 0) == 0) {
      const std::size_t colon = line.find(':');
      if (colon != std::string::npos) model = line.substr(colon + 2);
      break;
    }
  }
  return model + ", " + std::to_string(sysconf(_SC_NPROCESSORS_ONLN)) + " cores";
}

}  // namespace bench
