// TextToInt and TextToInt64 over arbitrary bytes, and numbers written by IntToText (also in
// full-width digits) read back. Rounding and real formatting run on arbitrary values.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "base/text.h"
#include "fuzz_check.h"

namespace {

using base::Text;

// `text` with every ASCII character from "!" to "~" in its full-width form (A3A1..A3FE).
Text FullWidth(const Text& text) {
  Text wide;
  for (char c : text) {
    wide += static_cast<char>(0xA3);
    wide += static_cast<char>(static_cast<unsigned char>(c) + 0x80);
  }
  return wide;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::int64_t number = input.ConsumeIntegral<std::int64_t>();
  const int decimals = input.ConsumeIntegralInRange(-4, 15);
  const double real = input.ConsumeFloatingPoint<double>();
  const Text text = input.ConsumeRemainingBytesAsString();

  // Arbitrary text: the 32-bit reading is the 64-bit one saturated; leading blanks
  // (narrow or the full-width A1A1) change nothing.
  const std::int64_t wide = base::TextToInt64(text);
  const std::int32_t narrow = base::TextToInt(text);
  const std::int64_t clamped =
      std::clamp<std::int64_t>(wide, std::numeric_limits<std::int32_t>::min(),
                               std::numeric_limits<std::int32_t>::max());
  FUZZ_CHECK(narrow == clamped);
  FUZZ_CHECK(base::TextToInt64(" \t" + text) == wide);
  FUZZ_CHECK(base::TextToInt64("\xA1\xA1" + text) == wide);

  // Written numbers read back, in ASCII and in full-width digits, with trailing garbage.
  const Text written = base::IntToText(number);
  FUZZ_CHECK(base::TextToInt64(written) == number);
  FUZZ_CHECK(base::TextToInt64(FullWidth(written)) == number);
  FUZZ_CHECK(base::TextToInt64(written + "x" + text) == number);
  __extension__ typedef __int128 Wide;
  const Wide appended = Wide{number} * 10 + (number < 0 ? -9 : 9);
  FUZZ_CHECK(base::TextToInt64(written + "9") ==
             static_cast<std::int64_t>(std::clamp<Wide>(
                 appended, std::numeric_limits<std::int64_t>::min(),
                 std::numeric_limits<std::int64_t>::max())));

  // Rounding keeps the sign and never moves a finite value by more than half a unit.
  if (std::isfinite(real) && std::fabs(real) < 1e15) {
    const double rounded = base::RoundReal(real, decimals);
    FUZZ_CHECK(!std::signbit(rounded) || real < 0);
    const double halfUnit = 0.5 * std::pow(10.0, -decimals);
    FUZZ_CHECK(std::fabs(rounded - real) <= halfUnit * (1 + 1e-9) + std::fabs(real) * 1e-15);
  }
  const Text formatted = base::RealToText(real);
  FUZZ_CHECK(!formatted.empty() && formatted.size() < 32);
  return 0;
}
