#include "base/code_page.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace base {
namespace {

std::string Hex(const std::string& bytes) {
  std::string out;
  char part[4];
  for (const unsigned char byte : bytes) {
    std::snprintf(part, sizeof part, "%02X ", byte);
    out += part;
  }
  return out;
}

std::string Hex(const std::u16string& wide) {
  std::string out;
  char part[6];
  for (const char16_t unit : wide) {
    std::snprintf(part, sizeof part, "%04X ", static_cast<unsigned>(unit));
    out += part;
  }
  return out;
}

// Pairs that convert both ways unchanged.
TEST(CodePageTest, RoundTrips) {
  const struct {
    Text text;
    std::u16string wide;
  } cases[] = {
      {"", u""},
      {"http://a/n5/b.jpg", u"http://a/n5/b.jpg"},
      {"\xA1\xC1", u"\u00D7"},  // ×
      {"\xA3\xBA", u"\uFF1A"},  // full-width colon
      {"\xD2\xFD\xBA\xC5", u"\u5F15\u53F7"},
      {"\xBB\xF1\xC8\xA1\xCD\xBC\xC6\xAC\xC1\xD0\xB1\xED", u"获取图片列表"},
      {"\x80", u"\u20AC"},  // euro sign, single byte in this code page
      {"\xA1\xA1", u"\u3000"},
      {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextToWide(c.text), c.wide) << "text=" << Hex(c.text);
    EXPECT_EQ(WideToText(c.wide), c.text) << "wide=" << Hex(c.wide);
  }
}

// An invalid sequence gives one U+FFFD and conversion goes on; an ASCII byte after a bad
// lead byte survives.
TEST(CodePageTest, InvalidBytesBecomeReplacementCharacters) {
  const struct {
    Text text;
    std::u16string wide;
  } cases[] = {
      {"\xFF" "a", u"\uFFFDa"},
      {"a\x81", u"a\uFFFD"},              // cut off at the end
      {"\x81\x30z", u"\uFFFD0z"},         // "0" is no trailing byte
      {"\xA2\xA0x", u"\uFFFDx"},          // unassigned pair: one replacement
      {"\xFF\xFF\xB0\xA1", u"\uFFFD\uFFFD\u554A"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextToWide(c.text), c.wide) << "text=" << Hex(c.text);
  }
}

TEST(CodePageTest, UnmappableCharactersBecomeQuestionMarks) {
  const struct {
    std::u16string wide;
    Text text;
  } cases[] = {
      {u"\uAC00x", "?x"},            // Hangul is not in the code page
      {u"a\U0001F600b", "a?b"},      // a surrogate pair is one character
      {u"\xD800" u"a", "?a"},        // lone high surrogate
      {u"a\xDC00", "a?"},            // lone low surrogate
      {u"a\xD800", "a?"},            // high surrogate at the end
      {u"\u00D7\uAC00\u00D7", "\xA1\xC1?\xA1\xC1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WideToText(c.wide), c.text) << "wide=" << Hex(c.wide);
  }
}

TEST(CodePageTest, LongTextsConvertWhole) {
  Text text;
  std::u16string wide;
  for (int i = 0; i < 5000; ++i) {
    text += "\xD2\xFD" "a";
    wide += u"\u5F15a";
  }
  EXPECT_EQ(TextToWide(text), wide);
  EXPECT_EQ(WideToText(wide), text);
}

TEST(CodePageTest, ThreadsConvertIndependently) {
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &failures] {
      for (int i = 0; i < 2000; ++i) {
        if (TextToWide("\xD2\xFD\xFF" "x") != u"\u5F15\uFFFDx") ++failures[t];
        if (WideToText(u"\u00D7\xD800y") != "\xA1\xC1?y") ++failures[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < 4; ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
}

}  // namespace
}  // namespace base
