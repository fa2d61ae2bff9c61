// Code page 936 ⇄ UTF-16 over arbitrary bytes and arbitrary code units: conversions never
// fail, never grow past a bound, and one round trip reaches a text that further round trips
// leave as it is.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/code_page.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The bytes as a Text.
  const base::Text text(reinterpret_cast<const char*>(data), size);
  const std::u16string wide = base::TextToWide(text);
  FUZZ_CHECK(wide.size() <= text.size());  // one unit at most per byte
  FUZZ_CHECK(text.empty() == wide.empty());
  const base::Text once = base::WideToText(wide);
  FUZZ_CHECK(base::WideToText(base::TextToWide(once)) == once);
  bool ascii = true;
  for (char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) FUZZ_CHECK(once == text);

  // The same bytes as UTF-16LE code units, lone surrogates included.
  std::u16string units(size / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
  }
  const base::Text narrow = base::WideToText(units);
  FUZZ_CHECK(narrow.size() <= 2 * units.size());  // two bytes at most per unit
  FUZZ_CHECK(narrow.empty() == units.empty());
  const std::u16string back = base::TextToWide(narrow);
  FUZZ_CHECK(base::TextToWide(base::WideToText(back)) == back);
  return 0;
}
