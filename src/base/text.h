// Texts: byte strings in code page 936 (GBK). Positions and lengths count bytes from 1;
// a byte of 0x80 or above steps together with the byte after it (a double-byte character).
// The empty text and a missing text are the same thing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace base {

using Text = std::string;
using ByteBuffer = std::vector<unsigned char>;

// Number of bytes in `text`.
int TextLength(const Text& text);

// 1-based position of the first occurrence of `sought` at or after `start` (below 1 counts
// as 1), or -1. Matches never begin on the second byte of a double-byte character; a
// `start` that falls on one moves on to the next character.
// `ignoreCase` folds single-byte ASCII letters only. An empty `sought` gives 1 while bytes
// remain from `start`, else -1.
int FindText(const Text& text, const Text& sought, int start = 1, bool ignoreCase = false);

// `count` bytes of `text` from 1-based `start`, clamped to the end; empty when start < 1,
// start > length or count < 1.
Text TextMid(const Text& text, int start, int count);

// Every occurrence of `oldText` replaced by `newText`, left to right, without overlaps,
// exact bytes, stepping like FindText. An empty text or empty `oldText` gives `text`.
Text ReplaceSubText(const Text& text, const Text& oldText, const Text& newText);

// Decimal, "-" before negatives.
Text IntToText(std::int64_t value);

// printf "%.13g": 13 significant digits, no trailing zeros or point.
Text RealToText(double value);

// Full-width forms (A3A1..A3FE, space A1A1) become ASCII; then leading white space, an
// optional sign and the digits up to the first other character. No digits gives 0.
// TextToInt saturates at the 32-bit range; TextToInt64 at the 64-bit range.
std::int32_t TextToInt(const Text& text);
std::int64_t TextToInt64(const Text& text);

// 0 stays 0; else halves away from zero at `decimals` places, after adding 1e-12 to the
// scaled magnitude. A result of 0 is +0, so it is never written "-0".
double RoundReal(double value, int decimals);

// The bytes before the first zero byte, or all of them; no code-page conversion.
Text BytesToText(const ByteBuffer& bytes);

}  // namespace base
