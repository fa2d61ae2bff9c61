#include "base/text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <limits>

#include "support/comma_locale.h"

namespace base {
namespace {

struct FindCase {
  Text text;
  Text sought;
  int start;
  bool ignoreCase;
  int expected;
};

TEST(FindTextTest, Table) {
  const FindCase cases[] = {
      {"abcabc", "bc", 1, false, 2},
      {"abcabc", "bc", 3, false, 5},
      {"abcabc", "bc", 6, false, -1},
      {"abcabc", "bc", -5, false, 2},  // below 1 counts as 1
      {"abcabc", "abcabcx", 1, false, -1},
      {"abc", "", 1, false, 1},
      {"abc", "", 3, false, 1},  // bytes remain from 3
      {"abc", "", 4, false, -1},
      {"", "", 1, false, -1},
      {"", "a", 1, false, -1},
      // Never inside a double-byte character.
      {"\xB0\xB0\xA1", "\xB0\xA1", 1, false, -1},
      {"\xB0\xA1\xB0\xA1", "\xB0\xA1", 2, false, 3},
      {"x\xB0\xB0\xA1", "\xB0\xA1", 1, false, -1},
      {"\x81\x40", "@", 1, false, -1},  // "@" is the trailing byte of a character
      {"\x81\x40@", "@", 1, false, 3},
      {"\x81\x40@", "@", 2, false, 3},  // start on a trailing byte moves on
      {"a\xB0", "\xB0", 1, false, 2},   // a lone high byte at the end is one character
      {"\xD2\xFD\xBA\xC5", "\xBA\xC5", 1, false, 3},
      // ignoreCase folds ASCII letters only.
      {"Hello World", "WORLD", 1, true, 7},
      {"Hello World", "WORLD", 1, false, -1},
      {"\xC1", "\xE1", 1, true, -1},  // no Latin-1 folding
      {"\x81\x41", "\x81\x61", 1, true, -1},  // trailing byte "A" is no letter here
      {"x\x81\x41 a", "A", 1, true, 5},
  };
  for (const FindCase& c : cases) {
    EXPECT_EQ(FindText(c.text, c.sought, c.start, c.ignoreCase), c.expected)
        << "text=\"" << c.text << "\" sought=\"" << c.sought << "\" start=" << c.start
        << " ignoreCase=" << c.ignoreCase;
  }
}

TEST(TextMidTest, ClampsAndRejects) {
  const struct {
    int start;
    int count;
    Text expected;
  } cases[] = {
      {2, 10, "bc"}, {4, 1, ""}, {1, 3, "abc"}, {2, 1, "b"},
      {0, 2, ""},    {1, 0, ""}, {1, -1, ""},   {3, std::numeric_limits<int>::max(), "c"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextMid("abc", c.start, c.count), c.expected)
        << "start=" << c.start << " count=" << c.count;
  }
}

TEST(ReplaceSubTextTest, Table) {
  const struct {
    Text text;
    Text oldText;
    Text newText;
    Text expected;
  } cases[] = {
      {"//a/n5/b/n5/c", "/n5/", "/imgzone/", "//a/imgzone/b/imgzone/c"},
      {"aaaa", "aa", "b", "bb"},  // no overlaps
      {"aaa", "aa", "b", "ba"},
      {"abc", "", "x", "abc"},
      {"", "a", "x", ""},
      {"abc", "abc", "", ""},
      {"abc", "d", "x", "abc"},
      {"\x81\x40@", "@", "#", "\x81\x40#"},  // the trailing "@" of a character stays
      {"\xB0\xB0\xA1\xB0\xA1", "\xB0\xA1", "-", "\xB0\xB0\xA1\xB0\xA1"},  // never inside
      {"\xB0\xB0\xB0\xA1", "\xB0\xA1", "-", "\xB0\xB0-"},
      {"ABC", "b", "x", "ABC"},  // exact bytes
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReplaceSubText(c.text, c.oldText, c.newText), c.expected)
        << "text=\"" << c.text << "\" old=\"" << c.oldText << "\" new=\"" << c.newText << "\"";
  }
}

TEST(IntToTextTest, Table) {
  const struct {
    std::int64_t value;
    Text expected;
  } cases[] = {
      {0, "0"},
      {42, "42"},
      {-7, "-7"},
      {std::numeric_limits<std::int64_t>::min(), "-9223372036854775808"},
      {std::numeric_limits<std::int64_t>::max(), "9223372036854775807"},
  };
  for (const auto& c : cases) EXPECT_EQ(IntToText(c.value), c.expected) << c.value;
}

TEST(RealToTextTest, MatchesPrintfG13) {
  const double values[] = {120.0,  120.6, 0.1,     1e-5,   0.0001, 1e13,  9999999999999.0,
                           1e100,  -2.5,  0.0,     -0.0,   1.0 / 3, 2097152, 123456789012345.0,
                           5e-324, 1e308, 12.0556, 0.00012345678901234};
  for (const double value : values) {
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.13g", value);
    EXPECT_EQ(RealToText(value), expected) << "value=" << expected;
  }
  EXPECT_EQ(RealToText(120.0), "120");
  EXPECT_EQ(RealToText(1e-5), "1e-05");
  EXPECT_EQ(RealToText(1e13), "1e+13");
  EXPECT_EQ(RealToText(0.0001), "0.0001");
}

TEST(RealToTextTest, IgnoresTheProcessLocale) {
  support::ScopedCommaLocale commaLocale;
  if (!commaLocale.Active()) GTEST_SKIP() << "no locale with a decimal comma available";
  EXPECT_EQ(RealToText(1.5), "1.5");
}

TEST(RoundRealTest, Table) {
  const struct {
    double value;
    int decimals;
    double expected;
  } cases[] = {
      {120.5625, 1, 120.6}, {0.25, 1, 0.3},    {-0.25, 1, -0.3}, {0.0, 3, 0.0},
      {0.04, 1, 0.0},       {2.5, 0, 3.0},     {-2.5, 0, -3.0},  {1.005, 2, 1.01},
      {1234.5, -1, 1230.0}, {1235.0, -1, 1240.0}, {0.449999, 1, 0.4},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RoundReal(c.value, c.decimals), c.expected)
        << "value=" << c.value << " decimals=" << c.decimals;
  }
  // A result of 0 is written "0", never "-0".
  EXPECT_EQ(RealToText(RoundReal(-0.01, 1)), "0");
}

TEST(RoundRealTest, KilobyteColumn) {
  const struct {
    std::int64_t bytes;
    Text expected;
  } cases[] = {
      {51, "0"},      {52, "0.1"},      {256, "0.3"},       {512, "0.5"},
      {1024, "1"},    {1536, "1.5"},    {12345, "12.1"},    {123456, "120.6"},
      {1048576, "1024"}, {2147483647, "2097152"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RealToText(RoundReal(static_cast<double>(c.bytes) / 1024.0, 1)), c.expected)
        << "bytes=" << c.bytes;
  }
}

TEST(TextToIntTest, Table) {
  const struct {
    Text text;
    std::int64_t expected32;
    std::int64_t expected64;
  } cases[] = {
      {"", 0, 0},
      {" +12abc", 12, 12},
      {"\t\n-34", -34, -34},
      {"abc", 0, 0},
      {"- 5", 0, 0},
      {"0800", 800, 800},
      {"\xA3\xB1\xA3\xB2\xA3\xB3", 123, 123},         // full-width digits
      {"\xA1\xA1\xA3\xAD\xA3\xB4\xA3\xB2", -42, -42},  // full-width space and minus
      {"\xA3\xB1" "5", 15, 15},
      {"\xB0\xA1" "5", 0, 0},  // another double-byte character stops the digits
      {"2147483647", 2147483647, 2147483647},
      {"2147483648", 2147483647, 2147483648},
      {"-2147483648", -2147483648LL, -2147483648LL},
      {"-2147483649", -2147483648LL, -2147483649LL},
      {"9223372036854775807", 2147483647, std::numeric_limits<std::int64_t>::max()},
      {"99999999999999999999999", 2147483647, std::numeric_limits<std::int64_t>::max()},
      {"-9223372036854775808", -2147483648LL, std::numeric_limits<std::int64_t>::min()},
      {"-99999999999999999999999", -2147483648LL, std::numeric_limits<std::int64_t>::min()},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextToInt(c.text), c.expected32) << "text=\"" << c.text << "\"";
    EXPECT_EQ(TextToInt64(c.text), c.expected64) << "text=\"" << c.text << "\"";
  }
}

TEST(BytesToTextTest, StopsAtTheFirstZero) {
  EXPECT_EQ(BytesToText({'a', 'b', 0, 'c'}), "ab");
  EXPECT_EQ(BytesToText({0xB0, 0xA1, 'x'}), "\xB0\xA1x");
  EXPECT_EQ(BytesToText({}), "");
  EXPECT_EQ(BytesToText({0}), "");
}

}  // namespace
}  // namespace base
