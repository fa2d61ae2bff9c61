#include "platform/http_text.h"

#include <optional>

#include "base/utf8.h"

namespace platform {

std::u16string FromHeaderBytes(const std::string& bytes) {
  if (std::optional<std::u16string> wide = base::Utf8ToWide(bytes)) return *wide;
  std::u16string latin;
  for (char byte : bytes) latin.push_back(static_cast<unsigned char>(byte));
  return latin;
}

std::string EncodeAddress(const std::u16string& address) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char byte : base::WideToUtf8(address)) {
    const auto unit = static_cast<unsigned char>(byte);
    if (unit <= 0x20 || unit >= 0x7F) {
      out.push_back('%');
      out.push_back(kHex[unit >> 4]);
      out.push_back(kHex[unit & 0xF]);
    } else {
      out.push_back(byte);
    }
  }
  return out;
}

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace platform
