// Code page 936 ⇄ UTF-16 through the C library's iconv. Each thread keeps its own pair of
// converters, so conversions on different threads never share state.
#include "base/code_page.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <iconv.h>

#include "base/utf8.h"

namespace base {
namespace {

constexpr char kCodePage[] = "CP936";
constexpr char kWide[] = "UTF-16LE";
constexpr char16_t kReplacement = u'\uFFFD';

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts from `*in` until the input ends or a sequence cannot be converted, appending
  // the output to `out`. Returns 0 when all input was used, else the errno of the stop.
  int Run(const char** in, std::size_t* inLeft, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char buffer[4096];
    while (*inLeft > 0) {
      char* outPtr = buffer;
      std::size_t outLeft = sizeof buffer;
      const std::size_t rc = iconv(cd_, const_cast<char**>(in), inLeft, &outPtr, &outLeft);
      const int error = rc == static_cast<std::size_t>(-1) ? errno : 0;
      out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
      if (error != 0 && error != E2BIG) return error;
    }
    return 0;
  }

 private:
  iconv_t cd_;
};

Converter& ToWide() {
  thread_local Converter converter(kWide, kCodePage);
  return converter;
}

Converter& FromWide() {
  thread_local Converter converter(kCodePage, kWide);
  return converter;
}

bool IsTrailByte(unsigned char byte) {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFE);
}

void AppendUnit(std::string& bytes, char16_t unit) {
  bytes += static_cast<char>(unit & 0xFF);
  bytes += static_cast<char>(unit >> 8);
}

bool IsAscii(const std::string& bytes) {
  return std::all_of(bytes.begin(), bytes.end(),
                     [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

}  // namespace

std::u16string TextToWide(const Text& text) {
  Converter& converter = ToWide();
  if (!converter.ok() || text.empty()) return std::u16string();
  std::string bytes;  // UTF-16LE
  const char* in = text.data();
  std::size_t inLeft = text.size();
  while (inLeft > 0) {
    if (converter.Run(&in, &inLeft, bytes) == 0) break;
    // An invalid or cut-off sequence: one U+FFFD for a lead byte with a possible trail byte
    // (both skipped), else for the single byte, so that a following ASCII byte survives.
    AppendUnit(bytes, kReplacement);
    const auto lead = static_cast<unsigned char>(in[0]);
    const std::size_t skip =
        (lead >= 0x81 && lead <= 0xFE && inLeft >= 2 && IsTrailByte(static_cast<unsigned char>(in[1])))
            ? 2
            : 1;
    in += skip;
    inLeft -= skip;
  }
  std::u16string wide(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < wide.size(); ++i) {
    wide[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                    static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  }
  return wide;
}

Text WideToText(const std::u16string& wide) {
  Converter& converter = FromWide();
  if (!converter.ok() || wide.empty()) return Text();
  std::string bytes;
  bytes.reserve(wide.size() * 2);
  for (const char16_t unit : wide) AppendUnit(bytes, unit);
  Text text;
  const char* in = bytes.data();
  std::size_t inLeft = bytes.size();
  while (inLeft > 0) {
    if (converter.Run(&in, &inLeft, text) == 0) break;
    // A character the code page lacks or a lone surrogate: one "?" for the whole
    // character (a surrogate pair counts as one).
    text += '?';
    const auto unit = static_cast<char16_t>(static_cast<unsigned char>(in[0]) |
                                            static_cast<unsigned char>(in[1]) << 8);
    std::size_t skip = 2;
    if (unit >= 0xD800 && unit <= 0xDBFF && inLeft >= 4) {
      const auto next = static_cast<char16_t>(static_cast<unsigned char>(in[2]) |
                                              static_cast<unsigned char>(in[3]) << 8);
      if (next >= 0xDC00 && next <= 0xDFFF) skip = 4;
    }
    in += skip;
    inLeft -= skip;
  }
  return text;
}

std::string TextToFileName(const Text& text) {
  return IsAscii(text) ? text : WideToUtf8(TextToWide(text));
}

Text FileNameToText(const std::string& name) {
  if (IsAscii(name)) return name;
  if (std::optional<std::u16string> wide = Utf8ToWide(name)) return WideToText(*wide);
  std::u16string latin;  // not UTF-8: one character per byte rather than nothing
  for (char byte : name) latin.push_back(static_cast<unsigned char>(byte));
  return WideToText(latin);
}

}  // namespace base
