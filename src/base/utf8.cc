#include "base/utf8.h"

namespace base {

std::string WideToUtf8(const std::u16string& wide) {
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

std::optional<std::u16string> Utf8ToWide(const std::string& bytes) {
  std::u16string out;
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
        return std::nullopt;
      }
    }
    if (bytes.size() - i <= extra) return std::nullopt;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      code = (code << 6) | (next & 0x3Fu);
    }
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return std::nullopt;
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

}  // namespace base
