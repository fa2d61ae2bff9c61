#include "platform/variant.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>


namespace platform {
namespace {

// Parses a whole string as a number: optional blanks around a decimal real.
std::optional<double> ParseNumber(const std::u16string& text) {
  std::string ascii;
  for (char16_t unit : text) {
    if (unit > 0x7f) return std::nullopt;
    ascii.push_back(static_cast<char>(unit));
  }
  const char* begin = ascii.c_str();
  while (*begin == ' ' || *begin == '\t') ++begin;
  if (*begin == '\0') return std::nullopt;
  char* end = nullptr;
  errno = 0;
  double value = std::strtod(begin, &end);
  if (end == begin || errno == ERANGE || !std::isfinite(value)) return std::nullopt;
  while (*end == ' ' || *end == '\t') ++end;
  if (*end != '\0') return std::nullopt;
  // strtod also reads hexadecimal and "inf"/"nan"; automation numbers are decimal.
  for (const char* p = begin; p != end; ++p) {
    if (*p == 'x' || *p == 'X' || *p == 'n' || *p == 'N' || *p == 'i' || *p == 'I') {
      return std::nullopt;
    }
  }
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
  if (const std::int32_t* i = std::get_if<std::int32_t>(&value)) {
    std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(*i));
  } else if (const double* d = std::get_if<double>(&value)) {
    std::snprintf(buffer, sizeof buffer, "%.15g", *d);
  } else {
    return std::nullopt;  // byte arrays and objects have no text form
  }
  std::u16string text;
  for (const char* p = buffer; *p != '\0'; ++p) text.push_back(static_cast<char16_t>(*p));
  return text;
}

}  // namespace platform
