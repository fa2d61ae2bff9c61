#include "platform/http_text.h"

namespace platform {

std::string ToUtf8(const std::u16string& wide) {
  std::string out;
  for (std::size_t i = 0; i < wide.size(); ++i) {
    char32_t code = wide[i];
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
      ++i;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = 0xFFFD;
    }
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (code >> 18)));
      out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return out;
}

std::u16string FromHeaderBytes(const std::string& bytes) {
  std::u16string out;
  auto eachByte = [&bytes] {
    std::u16string latin;
    for (char byte : bytes) latin.push_back(static_cast<unsigned char>(byte));
    return latin;
  };
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    std::size_t extra = 0;
    char32_t code = lead;
    if (lead >= 0x80) {
      if ((lead & 0xE0) == 0xC0) {
        extra = 1, code = lead & 0x1Fu;
      } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, code = lead & 0x0Fu;
      } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, code = lead & 0x07u;
      } else {
        return eachByte();
      }
    }
    if (bytes.size() - i <= extra) return eachByte();
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return eachByte();
      code = (code << 6) | (next & 0x3Fu);
    }
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return eachByte();
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(code));
    }
    i += extra + 1;
  }
  return out;
}

std::string EncodeAddress(const std::u16string& address) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char byte : ToUtf8(address)) {
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
