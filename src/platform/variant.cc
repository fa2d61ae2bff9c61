#include "platform/variant.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace platform {
namespace {

// Parses a whole string as a decimal number, with optional blanks around it. Independent of
// the locale, which the GUI toolkit sets from the environment.
std::optional<double> ParseNumber(const std::u16string& text) {
  std::string ascii;
  for (char16_t unit : text) {
    if (unit > 0x7f) return std::nullopt;
    ascii.push_back(static_cast<char>(unit));
  }
  const std::size_t first = ascii.find_first_not_of(" \t");
  if (first == std::string::npos) return std::nullopt;
  const std::size_t last = ascii.find_last_not_of(" \t");
  const char* begin = ascii.data() + first;
  const char* end = ascii.data() + last + 1;
  if (*begin == '+') ++begin;  // from_chars takes a minus sign only
  double value = 0;
  const std::from_chars_result parsed = std::from_chars(begin, end, value, std::chars_format::general);
  if (parsed.ec != std::errc() || parsed.ptr != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

bool EqualsIgnoringAsciiCase(const std::u16string& text, const char* word) {
  std::size_t i = 0;
  for (; word[i] != '\0'; ++i) {
    if (i >= text.size()) return false;
    char16_t unit = text[i];
    if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit - u'A' + u'a');
    if (unit != static_cast<char16_t>(word[i])) return false;
  }
  return i == text.size();
}

}  // namespace

std::optional<bool> ConvertToBool(const Variant& value) {
  if (const bool* b = std::get_if<bool>(&value)) return *b;
  if (const std::u16string* s = std::get_if<std::u16string>(&value)) {
    if (EqualsIgnoringAsciiCase(*s, "true")) return true;
    if (EqualsIgnoringAsciiCase(*s, "false")) return false;
  }
  if (std::holds_alternative<std::monostate>(value)) return false;
  std::optional<double> number = ConvertToReal(value);
  if (!number) return std::nullopt;
  return *number != 0.0;
}

std::optional<std::int32_t> ConvertToInt(const Variant& value) {
  if (const std::int32_t* i = std::get_if<std::int32_t>(&value)) return *i;
  std::optional<double> number = ConvertToReal(value);
  if (!number) return std::nullopt;
  double rounded = std::nearbyint(*number);  // the default rounding mode: half to even
  if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
        rounded <= std::numeric_limits<std::int32_t>::max())) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(rounded);
}

std::optional<double> ConvertToReal(const Variant& value) {
  if (std::holds_alternative<std::monostate>(value)) return 0.0;
  if (const bool* b = std::get_if<bool>(&value)) return *b ? -1.0 : 0.0;
  if (const std::int32_t* i = std::get_if<std::int32_t>(&value)) return *i;
  if (const double* d = std::get_if<double>(&value)) return *d;
  if (const std::u16string* s = std::get_if<std::u16string>(&value)) return ParseNumber(*s);
  return std::nullopt;
}

std::optional<std::u16string> ConvertToString(const Variant& value) {
  if (std::holds_alternative<std::monostate>(value)) return std::u16string();
  if (const std::u16string* s = std::get_if<std::u16string>(&value)) return *s;
  if (const bool* b = std::get_if<bool>(&value)) return *b ? u"-1" : u"0";
  char buffer[64];
  std::to_chars_result written{};
  if (const std::int32_t* i = std::get_if<std::int32_t>(&value)) {
    written = std::to_chars(buffer, buffer + sizeof buffer, *i);
  } else if (const double* d = std::get_if<double>(&value)) {
    written = std::to_chars(buffer, buffer + sizeof buffer, *d, std::chars_format::general, 15);
  } else {
    return std::nullopt;  // byte arrays and objects have no text form
  }
  std::u16string text;
  for (const char* p = buffer; p != written.ptr; ++p) text.push_back(static_cast<char16_t>(*p));
  return text;
}

}  // namespace platform
