// Times the collection's use of the regular-expression object: the image pattern over a
// 2 MB single-line big-image page with 1,000 entries, then the path of every entry.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "base/text.h"
#include "regex/regex_object.h"

namespace {

constexpr int kEntries = 1000;
constexpr std::size_t kPageBytes = 2 * 1024 * 1024;

// A single-line page: entries with GBK filler between them, padded to kPageBytes.
base::Text MakePage() {
  const base::Text filler = "\xC9\xCC\xC6\xB7\xCD\xBC\xC6\xAC<div class=\"x\">";  // "商品图片"
  const std::size_t fillerPerEntry = kPageBytes / kEntries - 100;
  base::Text page = "var imageList=[";
  for (int i = 0; i < kEntries; ++i) {
    page += "{\"note\":\"";
    while (page.size() % (kPageBytes / kEntries) < fillerPerEntry - filler.size()) page += filler;
    page += "\"},{\"img\":\"//img10.360buyimg.com/n5/jfs/t" + std::to_string(i) +
            "/abcdef.jpg\",\"name\":\"\",\"data\":\"x\"},";
  }
  page.resize(std::max(page.size(), kPageBytes), ' ');
  page += "];";
  return page;
}

}  // namespace

int main() {
  const base::Text pattern = "\"img\":\"(.*?)\",\"name\":\"\",\"data\":\"";
  const base::Text page = MakePage();
  std::vector<double> runs;
  std::size_t checksum = 0;
  int count = 0;
  for (int run = 0; run < 7; ++run) {
    const auto start = std::chrono::steady_clock::now();
    regex::RegexObject object;
    object.Create(pattern, page);
    count = object.MatchCount();
    for (int i = 1; i <= count; ++i) checksum += object.SubMatchText(i, 1).size();
    const auto end = std::chrono::steady_clock::now();
    runs.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  }
  std::sort(runs.begin(), runs.end());
  std::printf("page %zu bytes, %d matches (checksum %zu)\n", page.size(), count, checksum);
  std::printf("Create + MatchCount + %d x SubMatchText: median %.1f ms, best %.1f ms, worst %.1f ms\n",
              count, runs[runs.size() / 2], runs.front(), runs.back());
  return count == kEntries ? 0 : 1;
}
