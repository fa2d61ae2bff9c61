// Numbers to and from texts, and rounding. Formatting never depends on the C locale.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

#include "base/text.h"

namespace base {
namespace {

// Full-width forms become their ASCII equivalents: A3A1..A3FE are "!".."~", A1A1 is a space.
// Other double-byte characters are copied whole, so their trailing bytes stay untouched.
Text NarrowFullWidth(const Text& text) {
  Text result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80 || i + 1 >= text.size()) {
      result += text[i++];
      continue;
    }
    const auto trail = static_cast<unsigned char>(text[i + 1]);
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
      result += static_cast<char>(trail - 0x80);
    } else if (lead == 0xA1 && trail == 0xA1) {
      result += ' ';
    } else {
      result.append(text, i, 2);
    }
    i += 2;
  }
  return result;
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Leading white space, optional sign, digits; the value is clamped to [low, high].
std::int64_t ParseInteger(const Text& raw, std::int64_t low, std::int64_t high) {
  const Text text = NarrowFullWidth(raw);
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Accumulate the magnitude toward the limit on the side of the sign, so that the most
  // negative value is reached without overflow.
  const std::uint64_t limit = negative ? static_cast<std::uint64_t>(-(low + 1)) + 1
                                       : static_cast<std::uint64_t>(high);
  std::uint64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    const auto digit = static_cast<std::uint64_t>(text[i] - '0');
    if (magnitude > (limit - digit) / 10) {
      magnitude = limit;
      break;
    }
    magnitude = magnitude * 10 + digit;
  }
  if (!negative) return static_cast<std::int64_t>(magnitude);
  if (magnitude == 0) return 0;
  return -static_cast<std::int64_t>(magnitude - 1) - 1;
}

}  // namespace

Text IntToText(std::int64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return Text(buffer, result.ptr);
}

Text RealToText(double value) {
  // Same digits as printf "%.13g" in the C locale, whatever the process locale is.
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 13);
  if (result.ec != std::errc()) return Text();
  return Text(buffer, result.ptr);
}

std::int32_t TextToInt(const Text& text) {
  return static_cast<std::int32_t>(ParseInteger(text, std::numeric_limits<std::int32_t>::min(),
                                                std::numeric_limits<std::int32_t>::max()));
}

std::int64_t TextToInt64(const Text& text) {
  return ParseInteger(text, std::numeric_limits<std::int64_t>::min(),
                      std::numeric_limits<std::int64_t>::max());
}

double RoundReal(double value, int decimals) {
  if (value == 0) return 0.0;
  const double scale = std::pow(10.0, decimals);
  const double scaled = std::fabs(value) * scale + 1e-12;
  double whole = std::floor(scaled);
  if (scaled - whole >= 0.5) whole += 1;
  const double magnitude = whole / scale;
  // A magnitude that rounds to 0 is plain 0, never "-0".
  if (magnitude == 0) return 0.0;
  return value < 0 ? -magnitude : magnitude;
}

}  // namespace base
