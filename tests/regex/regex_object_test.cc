#include "regex/regex_object.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/apartment.h"
#include "platform/class_registry.h"
#include "platform/dispatch.h"
#include "web/call_by_name.h"

namespace regex {
namespace {

using platform::ObjectRef;
using platform::Status;
using platform::Variant;

// Texts in code page 936, written as bytes.
const base::Text kQuoteMarker = "#\xD2\xFD\xBA\xC5";  // "#引号"
const base::Text kZhong = "\xD6\xD0";                  // "中"
const base::Text kCheng = "\xD5\x5C";                  // "誠": its second byte is '\'

// `text` with bytes outside printable ASCII as \xNN, for failure messages.
std::string Shown(const base::Text& text) {
  std::string out;
  for (unsigned char byte : text) {
    if (byte >= 0x20 && byte < 0x7F) {
      out.push_back(static_cast<char>(byte));
    } else {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\x%02X", byte);
      out += buffer;
    }
  }
  return out;
}

class RegexObjectTest : public ::testing::Test {
 protected:
  void TearDown() override { platform::ResetClassRegistry(); }
};

TEST_F(RegexObjectTest, NothingFoundStillCreates) {
  RegexObject object;
  EXPECT_TRUE(object.Create("x(y)", "abc"));
  EXPECT_EQ(object.MatchCount(), 0);
  EXPECT_EQ(object.SubMatchCount(), 0);
  EXPECT_EQ(object.MatchText(1), "");
  EXPECT_EQ(object.SubMatchText(1, 1), "");
}

TEST_F(RegexObjectTest, WithoutAnEngineEverythingIsEmpty) {
  platform::UnregisterClass(u"VBScript.RegExp");
  RegexObject object;
  EXPECT_FALSE(object.Create("a(b)", "ab"));
  EXPECT_EQ(object.engine, nullptr);
  EXPECT_EQ(object.MatchCount(), 0);
  EXPECT_EQ(object.SubMatchCount(), 0);
  EXPECT_EQ(object.MatchText(1), "");
  EXPECT_EQ(object.SubMatchText(1, 1), "");
  EXPECT_EQ(object.GetPattern(), "");
  EXPECT_EQ(object.ReplaceText("x"), "");
}

TEST_F(RegexObjectTest, ReadingBeforeCreateGivesEmptyResults) {
  RegexObject object;
  EXPECT_EQ(object.subject, Variant(std::int32_t{0}));
  EXPECT_EQ(object.MatchCount(), 0);
  EXPECT_EQ(object.SubMatchCount(), 0);
  EXPECT_EQ(object.MatchText(1), "");
  EXPECT_EQ(object.GetPattern(), "");
  EXPECT_EQ(object.ReplaceText("x"), "");
}

// An engine that accepts every option, "Singleline" too, and records each write in order.
struct WriteLog {
  std::vector<std::pair<std::string, Variant>> writes;
  int servicesAtRelease = -1;  // component services count when the engine was released
};

class RecordingEngine : public platform::AutomationObject {
 public:
  explicit RecordingEngine(std::shared_ptr<WriteLog> log) : log_(std::move(log)) {
    for (const char* name : {"IgnoreCase", "Multiline", "Singleline", "Global", "Pattern"}) {
      std::u16string wide(name, name + std::char_traits<char>::length(name));
      AddMember(wide, platform::InvokeKind::propertyPut, 1,
                [this, name](std::vector<Variant>& arguments, Variant&) {
                  log_->writes.emplace_back(name, arguments.at(0));
                  return Status::ok;
                });
    }
    AddMember(u"Execute", platform::InvokeKind::method, 1,
              [](std::vector<Variant>&, Variant&) { return Status::exception; });
  }
  ~RecordingEngine() override { log_->servicesAtRelease = platform::ComponentServicesCount(); }

 private:
  std::shared_ptr<WriteLog> log_;
};

std::shared_ptr<WriteLog> RegisterRecordingEngine() {
  auto log = std::make_shared<WriteLog>();
  platform::RegisterClass(u"VBScript.RegExp", [log](unsigned, ObjectRef& object) {
    object = std::make_shared<RecordingEngine>(log);
    return Status::ok;
  });
  return log;
}

TEST_F(RegexObjectTest, OptionsAreWrittenInOrder) {
  struct Case {
    std::string name;
    std::optional<bool> caseSensitive, multiline, global, expandQuotes;
    bool ignoreCase, isMultiline, isGlobal;
    base::Text pattern;
  };
  const base::Text pattern = "a" + kQuoteMarker + "b" + kQuoteMarker;
  const std::vector<Case> cases = {
      {"defaults", {}, {}, {}, {}, true, true, true, pattern},
      {"case-sensitive", true, {}, {}, {}, false, true, true, pattern},
      {"case-insensitive", false, {}, {}, {}, true, true, true, pattern},
      {"single line, first match only", {}, false, false, false, true, false, false, pattern},
      {"quotes expanded", {}, {}, {}, true, true, true, true, "a\"b\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::shared_ptr<WriteLog> log = RegisterRecordingEngine();
    const int servicesBefore = platform::ComponentServicesCount();
    {
      RegexObject object;
      EXPECT_FALSE(object.Create(pattern, "subject", c.caseSensitive, c.multiline, c.global,
                                 c.expandQuotes));
    }
    const std::vector<std::pair<std::string, Variant>> expected = {
        {"IgnoreCase", c.ignoreCase},
        {"Multiline", c.isMultiline},
        {"Singleline", true},
        {"Global", c.isGlobal},
        {"Pattern", web::TextToVariant(c.pattern)},
    };
    EXPECT_EQ(log->writes, expected);
    // The engine went before this object's component services initialisation ended.
    EXPECT_EQ(log->servicesAtRelease, servicesBefore + 1);
  }
}

TEST_F(RegexObjectTest, CaseSensitivity) {
  const std::vector<std::pair<std::optional<bool>, int>> cases = {
      {std::nullopt, 2}, {false, 2}, {true, 1}};
  for (const auto& [caseSensitive, count] : cases) {
    SCOPED_TRACE("caseSensitive " + std::string(!caseSensitive ? "absent" : *caseSensitive ? "true" : "false"));
    RegexObject object;
    EXPECT_TRUE(object.Create("abc", "ABC abc", caseSensitive));
    EXPECT_EQ(object.MatchCount(), count);
  }
}

TEST_F(RegexObjectTest, ExpandedQuotesMatchQuotes) {
  RegexObject object;
  const base::Text subject = "say \"hi\" and \"bye\"";
  ASSERT_TRUE(object.Create(kQuoteMarker + "(\\w+)" + kQuoteMarker, subject, {}, {}, {}, true));
  EXPECT_EQ(object.GetPattern(), "\"(\\w+)\"");
  ASSERT_EQ(object.MatchCount(), 2);
  EXPECT_EQ(object.SubMatchText(1, 1), "hi");
  EXPECT_EQ(object.SubMatchText(2, 1), "bye");

  // Left unexpanded, the marker is literal pattern text and the quotes do not match it.
  ASSERT_TRUE(object.Create(kQuoteMarker + "(\\w+)" + kQuoteMarker, subject));
  EXPECT_EQ(object.GetPattern(), kQuoteMarker + "(\\w+)" + kQuoteMarker);
  EXPECT_EQ(object.MatchCount(), 0);
}

TEST_F(RegexObjectTest, NumbersOutsideTheMatchesGiveEmptyTexts) {
  RegexObject object;
  ASSERT_TRUE(object.Create("(\\d)(\\w)", "1a 2b"));
  ASSERT_EQ(object.MatchCount(), 2);
  ASSERT_EQ(object.SubMatchCount(), 2);
  struct Case {
    int n, k;  // k 0: MatchText
  };
  for (const Case& c : std::vector<Case>{{0, 0}, {3, 0}, {-1, 0}, {1, -1}, {0, 1}, {3, 1},
                                         {1, 3}, {2, 3}}) {
    SCOPED_TRACE("n " + std::to_string(c.n) + " k " + std::to_string(c.k));
    EXPECT_EQ(c.k == 0 ? object.MatchText(c.n) : object.SubMatchText(c.n, c.k), "");
  }
  EXPECT_EQ(object.SubMatchText(1, 0), "");
  EXPECT_EQ(object.MatchText(2), "2b");
  EXPECT_EQ(object.SubMatchText(2, 2), "b");
}

TEST_F(RegexObjectTest, SecondCreateReplacesTheFirst) {
  RegexObject object;
  ASSERT_TRUE(object.Create("a(\\d)", "a1 a2 a3"));
  ObjectRef firstEngine = object.engine;
  ASSERT_TRUE(object.Create("b", "xbx", true));
  EXPECT_NE(object.engine, firstEngine);
  EXPECT_EQ(object.MatchCount(), 1);
  EXPECT_EQ(object.MatchText(1), "b");
  EXPECT_EQ(object.MatchText(2), "");
  EXPECT_EQ(object.SubMatchCount(), 0);
  EXPECT_EQ(object.GetPattern(), "b");
  EXPECT_EQ(object.ReplaceText("[$&]"), "x[b]x");
}

TEST_F(RegexObjectTest, ReplaceTextWorksOnTheKeptSubject) {
  RegexObject object;
  ASSERT_TRUE(object.Create("(\\w+)@(\\w+)", "to me@home, " + kZhong + " you@work", {}, {}, false));
  EXPECT_EQ(object.ReplaceText("$2.$1"), "to home.me, " + kZhong + " you@work");
  ASSERT_TRUE(object.Create("(\\w+)@(\\w+)", "to me@home, " + kZhong + " you@work"));
  EXPECT_EQ(object.ReplaceText("$2.$1"), "to home.me, " + kZhong + " work.you");
}

TEST_F(RegexObjectTest, Positions) {
  struct Case {
    std::string name;
    base::Text pattern, subject;
    std::optional<bool> caseSensitive;
    int n, k;  // k 0: MatchText
    base::Text text;
    int position;
  };
  const std::vector<Case> cases = {
      {"single bytes: FirstIndex", "c+", "abccd", {}, 1, 0, "cc", 2},
      // One match with FirstIndex 1, but the search starts at the first byte.
      {"starting one byte early", "a$", "aa", {}, 1, 0, "a", 0},
      {"double-byte characters before", "x", kZhong + kZhong + "x", {}, 1, 0, "x", 4},
      {"sub-match searched from the match", "x(y)", "yaxy", {}, 1, 1, "y", 3},
      {"empty group, subject left", "a(b*)c", "xac", {}, 1, 1, "", 0},
      {"empty match at the end", "$", "ab", {}, 1, 0, "", 0},
      {"empty subject", "x*", "", {}, 1, 0, "", -2},
      {"absent match", "b", "abc", {}, 5, 0, "", 0},
      {"absent group", "b", "abc", {}, 1, 1, "", 0},
      // A case-sensitive engine makes the search ignore case, and the reverse.
      {"engine ignores case", "b", "aBb", {}, 2, 0, "b", 2},
      {"engine case-sensitive", "b", "aBb", true, 1, 0, "b", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name + ": pattern " + Shown(c.pattern) + " subject " + Shown(c.subject));
    RegexObject object;
    ASSERT_TRUE(object.Create(c.pattern, c.subject, c.caseSensitive));
    int position = 12345;
    EXPECT_EQ(c.k == 0 ? object.MatchText(c.n, &position) : object.SubMatchText(c.n, c.k, &position),
              c.text);
    EXPECT_EQ(position, c.position);
  }
}

TEST_F(RegexObjectTest, PositionStartsAtFirstIndexItself) {
  RegexObject object;
  ASSERT_TRUE(object.Create("a$", "aa"));
  ASSERT_EQ(object.MatchCount(), 1);
  ObjectRef match = web::VariantToObject(web::GetProperty(object.matches, "Item", {0.0}));
  EXPECT_EQ(web::VariantToReal(web::GetProperty(match, "FirstIndex")), 1.0);
  int position = 7;
  object.MatchText(1, &position);
  EXPECT_EQ(position, 0);
  object.MatchText(1);  // without a position nothing is written
  EXPECT_EQ(position, 0);
}

TEST_F(RegexObjectTest, ComponentServicesStayBalanced) {
  const int base = platform::ComponentServicesCount();
  {
    RegexObject object;
    EXPECT_EQ(platform::ComponentServicesCount(), base + 1);
    ASSERT_TRUE(object.Create("(b)", "abc"));
    {
      RegexObject copy(object);
      EXPECT_EQ(platform::ComponentServicesCount(), base + 2);
      EXPECT_EQ(copy.engine, object.engine);
      EXPECT_EQ(copy.matches, object.matches);
      RegexObject assigned;
      assigned = copy;
      EXPECT_EQ(platform::ComponentServicesCount(), base + 3);
      // The copy keeps its own subject and matches when the source runs again.
      ASSERT_TRUE(object.Create("(c)", "xyzc"));
      EXPECT_EQ(copy.SubMatchText(1, 1), "b");
      EXPECT_EQ(assigned.ReplaceText("$1$1"), "abbc");
      EXPECT_EQ(object.SubMatchText(1, 1), "c");
    }
    EXPECT_EQ(platform::ComponentServicesCount(), base + 1);
  }
  EXPECT_EQ(platform::ComponentServicesCount(), base);

  platform::UnregisterClass(u"VBScript.RegExp");
  {
    RegexObject failed;
    EXPECT_FALSE(failed.Create("a", "a"));
  }
  EXPECT_EQ(platform::ComponentServicesCount(), base);
}

TEST_F(RegexObjectTest, ImagePatternOverABigImagePage) {
  const base::Text pattern = "\"img\":\"(.*?)\",\"name\":\"\",\"data\":\"";
  const base::Text title = "\xC9\xCC\xC6\xB7\xCD\xBC\xC6\xAC";  // "商品图片"
  // A stray lead byte right before a quote: the quote still ends the value.
  const base::Text page =
      "var page={\"title\":\"" + title + "\",\"note\":\"\xC9\",\"list\":["
      "{\"img\":\"//img10.360buyimg.com/n5/jfs/t1/a.jpg\",\"name\":\"\",\"data\":\"1\"},"
      "{\"img\":\"//img10.360buyimg.com/n5/jfs/t2/" + kCheng + kZhong + ".jpg\",\"name\":\"\",\"data\":\"2\"},"
      "{\"IMG\":\"//img10.360buyimg.com/n5/jfs/t3/c.png\",\"name\":\"\",\"data\":\"3\"},"
      "{\"img\":\"//img10.360buyimg.com/n5/skip.jpg\",\"name\":\"" + kZhong + "\",\"data\":\"4\"}\r\n"
      "{\"img\":\"//img10.360buyimg.com/n5/jfs/t4/d.jpg\",\"name\":\"\",\"data\":\"\"}]};";
  const std::vector<base::Text> expected = {
      "//img10.360buyimg.com/n5/jfs/t1/a.jpg",
      "//img10.360buyimg.com/n5/jfs/t2/" + kCheng + kZhong + ".jpg",
      "//img10.360buyimg.com/n5/jfs/t3/c.png",  // the key matches in any letter case
      "//img10.360buyimg.com/n5/jfs/t4/d.jpg",  // the entry with a name does not reach over the line break
  };
  RegexObject object;
  ASSERT_TRUE(object.Create(pattern, page));
  ASSERT_EQ(object.MatchCount(), static_cast<int>(expected.size()));
  EXPECT_EQ(object.SubMatchCount(), 1);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("match " + std::to_string(i + 1));
    const int n = static_cast<int>(i) + 1;
    int position = -1;
    EXPECT_EQ(Shown(object.SubMatchText(n, 1, &position)), Shown(expected[i]));
    EXPECT_EQ(page.compare(static_cast<std::size_t>(position), expected[i].size(), expected[i]), 0)
        << "position " << position;
  }
}

TEST_F(RegexObjectTest, RunawayBacktrackingEndsInAFailedCreate) {
  RegexObject object;
  EXPECT_FALSE(object.Create("(a+)+$", std::string(40, 'a') + "b"));
  EXPECT_EQ(object.matches, nullptr);
  EXPECT_EQ(object.MatchCount(), 0);
  EXPECT_EQ(object.MatchText(1), "");
}

TEST_F(RegexObjectTest, RefusedPatternFailsCreate) {
  RegexObject object;
  EXPECT_FALSE(object.Create("a(b", "ab"));
  EXPECT_NE(object.engine, nullptr);
  EXPECT_EQ(object.GetPattern(), "a(b");
  EXPECT_EQ(object.MatchCount(), 0);
}

}  // namespace
}  // namespace regex
