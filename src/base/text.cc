// Byte-wise search, cutting and replacing over code-page-936 texts.
#include "base/text.h"

#include <climits>
#include <cstddef>

namespace base {
namespace {

// Bytes taken by the character that begins at `i`: a byte of 0x80 or above takes the byte
// after it too, when there is one.
std::size_t CharWidth(const Text& text, std::size_t i) {
  const auto byte = static_cast<unsigned char>(text[i]);
  return (byte >= 0x80 && i + 1 < text.size()) ? 2 : 1;
}

unsigned char FoldAscii(unsigned char byte) {
  return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

// Whether `sought` occurs at character boundary `at`. With `ignoreCase` only single-byte
// characters of `text` fold, so the trailing byte of a double-byte character (which may
// look like an ASCII letter) must match exactly.
bool MatchesAt(const Text& text, std::size_t at, const Text& sought, bool ignoreCase) {
  if (sought.size() > text.size() - at) return false;
  if (!ignoreCase) return text.compare(at, sought.size(), sought) == 0;
  std::size_t k = 0;
  while (k < sought.size()) {
    const std::size_t width = CharWidth(text, at + k);
    if (width == 2) {
      if (text[at + k] != sought[k]) return false;
      if (k + 1 < sought.size() && text[at + k + 1] != sought[k + 1]) return false;
      k += 2;
      continue;
    }
    if (FoldAscii(static_cast<unsigned char>(text[at + k])) !=
        FoldAscii(static_cast<unsigned char>(sought[k]))) {
      return false;
    }
    ++k;
  }
  return true;
}

int ToPosition(std::size_t index) {
  return index >= static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(index + 1);
}

}  // namespace

int TextLength(const Text& text) {
  return text.size() > static_cast<std::size_t>(INT_MAX) ? INT_MAX
                                                         : static_cast<int>(text.size());
}

int FindText(const Text& text, const Text& sought, int start, bool ignoreCase) {
  const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
  if (from >= text.size()) return -1;
  if (sought.empty()) return 1;
  // Characters are counted from the text's first byte, so that a start that falls on a
  // trailing byte moves on to the next character.
  for (std::size_t i = 0; i < text.size(); i += CharWidth(text, i)) {
    if (i >= from && MatchesAt(text, i, sought, ignoreCase)) return ToPosition(i);
  }
  return -1;
}

Text TextMid(const Text& text, int start, int count) {
  if (start < 1 || count < 1 || static_cast<std::size_t>(start) > text.size()) return Text();
  return text.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(count));
}

Text ReplaceSubText(const Text& text, const Text& oldText, const Text& newText) {
  if (text.empty() || oldText.empty()) return text;
  Text result;
  std::size_t copiedTo = 0;  // bytes of `text` already in `result`
  for (std::size_t i = 0; i < text.size(); i += CharWidth(text, i)) {
    if (i < copiedTo || !MatchesAt(text, i, oldText, false)) continue;
    result.append(text, copiedTo, i - copiedTo);
    result += newText;
    copiedTo = i + oldText.size();
  }
  result.append(text, copiedTo, Text::npos);
  return result;
}

Text BytesToText(const ByteBuffer& bytes) {
  std::size_t end = 0;
  while (end < bytes.size() && bytes[end] != 0) ++end;
  return Text(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(end));
}

}  // namespace base
