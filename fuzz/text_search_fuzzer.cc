// FindText, ReplaceSubText and TextMid over arbitrary code-page-936 bytes. FindText is held
// to a plain character-by-character walk, and ReplaceSubText to successive FindText calls.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/text.h"
#include "fuzz_check.h"

namespace {

using base::Text;

unsigned char Fold(unsigned char byte) {
  return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte + 32) : byte;
}

// Whether `sought` is at byte `at`: exact bytes, or with `ignoreCase` ASCII letters folded
// where they are single-byte characters of `text` (a double-byte character matches exactly).
bool MatchesAt(const Text& text, std::size_t at, const Text& sought, bool ignoreCase) {
  if (at + sought.size() > text.size()) return false;
  bool trailing = false;  // text[at + k] is the second byte of a double-byte character
  for (std::size_t k = 0; k < sought.size(); ++k) {
    const auto a = static_cast<unsigned char>(text[at + k]);
    const auto b = static_cast<unsigned char>(sought[k]);
    const bool single = !trailing && (a < 0x80 || at + k + 1 == text.size());
    if (a != b && !(ignoreCase && single && Fold(a) == Fold(b))) return false;
    trailing = !trailing && a >= 0x80;
  }
  return true;
}

// Every character boundary of `text`, walked from its first byte.
std::vector<std::size_t> Boundaries(const Text& text) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < text.size();) {
    starts.push_back(i);
    i += (static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size()) ? 2 : 1;
  }
  return starts;
}

int ExpectedFind(const Text& text, const Text& sought, int start, bool ignoreCase) {
  const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
  if (from >= text.size()) return -1;
  if (sought.empty()) return 1;
  for (std::size_t at : Boundaries(text)) {
    if (at >= from && MatchesAt(text, at, sought, ignoreCase)) return static_cast<int>(at) + 1;
  }
  return -1;
}

// A start position from a mode and a raw number: anything, near 1, or near the text.
int PickStart(int mode, int raw, int length) {
  const long magnitude = raw < 0 ? -static_cast<long>(raw) : raw;
  switch (mode) {
    case 0:
      return raw;
    case 1:
      return static_cast<int>(magnitude % 5) - 2;
    default:
      return static_cast<int>(magnitude % (static_cast<long>(length) + 4)) - 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const bool ignoreCase = input.ConsumeBool();
  const Text sought = input.ConsumeRandomLengthString(32);
  const Text replacement = input.ConsumeRandomLengthString(32);
  const int startMode = input.ConsumeIntegralInRange(0, 3);
  const int startRaw = input.ConsumeIntegral<int>();
  const int midCount = input.ConsumeIntegralInRange(-2, 40);
  const Text text = input.ConsumeRemainingBytesAsString();
  const int length = base::TextLength(text);
  FUZZ_CHECK(static_cast<std::size_t>(length) == text.size());
  const int start = PickStart(startMode, startRaw, length);

  // FindText: -1 or a position in range where `sought` really is, and the first such.
  const int found = base::FindText(text, sought, start, ignoreCase);
  FUZZ_CHECK(found == -1 || (found >= 1 && found <= length));
  if (found != -1 && !sought.empty()) {
    FUZZ_CHECK(found >= start);
    FUZZ_CHECK(MatchesAt(text, static_cast<std::size_t>(found) - 1, sought, ignoreCase));
  }
  FUZZ_CHECK(found == ExpectedFind(text, sought, start, ignoreCase));
  if (!ignoreCase) FUZZ_CHECK(base::FindText(text, sought, start) == found);

  // ReplaceSubText: the same as cutting at each exact match FindText finds, left to right.
  const Text replaced = base::ReplaceSubText(text, sought, replacement);
  Text expected;
  if (text.empty() || sought.empty()) {
    expected = text;
  } else {
    std::size_t copied = 0;
    int at = base::FindText(text, sought, 1);
    while (at != -1) {
      const std::size_t index = static_cast<std::size_t>(at) - 1;
      FUZZ_CHECK(index >= copied);
      expected.append(text, copied, index - copied);
      expected += replacement;
      copied = index + sought.size();
      at = copied < text.size() ? base::FindText(text, sought, static_cast<int>(copied) + 1) : -1;
    }
    expected.append(text, copied, Text::npos);
  }
  FUZZ_CHECK(replaced == expected);
  if (sought == replacement) FUZZ_CHECK(replaced == text);

  // TextMid: a clamped cut, empty outside the text.
  const Text mid = base::TextMid(text, start, midCount);
  if (start < 1 || midCount < 1 || start > length) {
    FUZZ_CHECK(mid.empty());
  } else {
    FUZZ_CHECK(mid == text.substr(static_cast<std::size_t>(start) - 1,
                                  static_cast<std::size_t>(midCount)));
  }
  return 0;
}
