#include "platform/regexp_engine.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/dispatch.h"

namespace platform {
namespace {

// Calls a member of `object` by name and kind; the status of the call.
Status Invoke(const ObjectRef& object, const std::u16string& name, InvokeKind kind,
              std::vector<Variant> arguments, Variant& result) {
  const MemberInfo* member = FindMember(*object, name, kind);
  if (member == nullptr) return Status::unknownName;
  return object->Invoke(member->memberId, kind, arguments, result);
}

Variant Get(const ObjectRef& object, const std::u16string& name, std::vector<Variant> arguments = {}) {
  Variant result;
  EXPECT_EQ(Invoke(object, name, InvokeKind::propertyGet, std::move(arguments), result), Status::ok)
      << "get failed";
  return result;
}

void Put(const ObjectRef& object, const std::u16string& name, Variant value) {
  Variant ignored;
  ASSERT_EQ(Invoke(object, name, InvokeKind::propertyPut, {std::move(value)}, ignored), Status::ok);
}

ObjectRef Engine(const std::u16string& pattern, bool global = true, bool multiline = false,
                 bool ignoreCase = false) {
  ObjectRef engine = NewRegExpEngine();
  Put(engine, u"Pattern", pattern);
  Put(engine, u"Global", global);
  Put(engine, u"Multiline", multiline);
  Put(engine, u"IgnoreCase", ignoreCase);
  return engine;
}

std::string Narrow(const std::u16string& wide) {
  std::string out;
  for (char16_t unit : wide) {
    if (unit >= 0x20 && unit < 0x80) {
      out.push_back(static_cast<char>(unit));
    } else {
      out += "\\u" + std::to_string(static_cast<int>(unit));
    }
  }
  return out;
}

std::u16string Str(const Variant& value) {
  const std::u16string* text = std::get_if<std::u16string>(&value);
  EXPECT_NE(text, nullptr) << "not a string";
  return text ? *text : std::u16string();
}

int Int(const Variant& value) { return ConvertToInt(value).value_or(-99); }

struct FoundMatch {
  int firstIndex;
  std::u16string value;
  bool operator==(const FoundMatch&) const = default;
};

std::ostream& operator<<(std::ostream& out, const FoundMatch& match) {
  return out << "{" << match.firstIndex << ", \"" << Narrow(match.value) << "\"}";
}

// Every match of an "Execute", read back through the collection.
std::vector<FoundMatch> ExecuteAll(const ObjectRef& engine, const std::u16string& subject) {
  Variant result;
  EXPECT_EQ(Invoke(engine, u"Execute", InvokeKind::method, {subject}, result), Status::ok);
  std::vector<FoundMatch> found;
  const ObjectRef* matches = std::get_if<ObjectRef>(&result);
  if (matches == nullptr) return found;
  int count = Int(Get(*matches, u"Count"));
  for (int i = 0; i < count; ++i) {
    ObjectRef match = std::get<ObjectRef>(Get(*matches, u"Item", {i}));
    found.push_back({Int(Get(match, u"FirstIndex")), Str(Get(match, u"Value"))});
    EXPECT_EQ(Int(Get(match, u"Length")), static_cast<int>(found.back().value.size()));
  }
  return found;
}

TEST(RegExpEngineTest, ReplaceExpandsDollarForms) {
  struct Case {
    std::u16string pattern;
    bool global;
    std::u16string subject;
    std::u16string replacement;
    std::u16string expected;
  };
  const std::vector<Case> cases = {
      {u"(a)(b)", true, u"xaby", u"[$2$1]", u"x[ba]y"},
      {u"b", true, u"abc", u"<$&>", u"a<b>c"},
      {u"b", true, u"abc", u"[$`|$']", u"a[a|c]c"},
      {u"b", true, u"abab", u"[$`]", u"a[a]a[aba]"},  // "$`" is all of the subject before
      {u"b", true, u"abc", u"$$1", u"a$1c"},
      {u"(a)(b)", true, u"ab", u"$3", u"$3"},        // no third group: literal
      {u"(a)", true, u"a", u"$12", u"a2"},           // "$1" then "2"
      {u"(a)", true, u"a", u"$0$00", u"$0$00"},
      {u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", true, u"abcdefghij", u"$10$1", u"ja"},
      {u"(a)", true, u"a", u"x$", u"x$"},
      {u"(a)", true, u"a", u"$x", u"$x"},
      {u"(x)?b", true, u"ab", u"[$1]", u"a[]"},     // a group that did not take part
      {u"a", false, u"aaa", u"b", u"baa"},
      {u"a", true, u"aaa", u"b", u"bbb"},
      {u"x*", true, u"abc", u"-", u"-a-b-c-"},
      {u"q", true, u"abc", u"-", u"abc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("pattern " + Narrow(c.pattern) + " subject " + Narrow(c.subject) +
                 " replacement " + Narrow(c.replacement) + (c.global ? " global" : ""));
    ObjectRef engine = Engine(c.pattern, c.global);
    Variant result;
    ASSERT_EQ(Invoke(engine, u"Replace", InvokeKind::method, {c.subject, c.replacement}, result),
              Status::ok);
    EXPECT_EQ(Narrow(Str(result)), Narrow(c.expected));
  }
}

TEST(RegExpEngineTest, ExecuteFindsEveryMatchAndStepsOverEmptyOnes) {
  struct Case {
    std::u16string pattern;
    bool multiline;
    bool ignoreCase;
    std::u16string subject;
    std::vector<FoundMatch> expected;
  };
  const std::vector<Case> cases = {
      {u"x*", false, false, u"ab", {{0, u""}, {1, u""}, {2, u""}}},
      {u"a*", false, false, u"baaa", {{0, u""}, {1, u"aaa"}, {4, u""}}},
      // A CR LF pair is one line break: never split by "^", "$" or an empty match.
      {u"^", true, false, u"a\r\nb", {{0, u""}, {3, u""}}},
      {u"$", true, false, u"a\r\nb", {{1, u""}, {4, u""}}},
      {u"$", true, false, u"a\rb\nc", {{1, u""}, {3, u""}, {5, u""}}},
      {u"^b", false, false, u"a\nb", {}},
      {u"^b", true, false, u"a\nb", {{2, u"b"}}},
      {u".", false, false, u"a\r\nb", {{0, u"a"}, {3, u"b"}}},  // "." skips line breaks
      {u"A", false, false, u"aA", {{1, u"A"}}},
      {u"A", false, true, u"aA", {{0, u"a"}, {1, u"A"}}},
      // No UTF: every UTF-16 code unit is a character of its own.
      {u".", false, false, u"\xD83D\xDE00", {{0, u"\xD83D"}, {1, u"\xDE00"}}},
      {u"\\u4E2D+", false, false, u"x\u4E2D\u4E2Dy", {{1, u"\u4E2D\u4E2D"}}},
      {u"\"img\":\"(.*?)\"", false, false, u"\"img\":\"a\",\"img\":\"b\"",
       {{0, u"\"img\":\"a\""}, {10, u"\"img\":\"b\""}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("pattern " + Narrow(c.pattern) + " subject " + Narrow(c.subject) +
                 (c.multiline ? " multiline" : "") + (c.ignoreCase ? " ignore case" : ""));
    EXPECT_EQ(ExecuteAll(Engine(c.pattern, true, c.multiline, c.ignoreCase), c.subject),
              c.expected);
  }
}

TEST(RegExpEngineTest, WithoutGlobalOnlyTheFirstMatch) {
  EXPECT_EQ(ExecuteAll(Engine(u"a.", false), u"a1a2"), (std::vector<FoundMatch>{{0, u"a1"}}));
}

TEST(RegExpEngineTest, ExecuteFailsOnBadPatternOrRunawayBacktracking) {
  const std::vector<std::pair<std::u16string, std::u16string>> cases = {
      {u"(", u"abc"},
      {u"a{2,1}", u"abc"},
      {u"(a+)+$", std::u16string(40, u'a') + u"b"},
      {u"(a|aa)+$", std::u16string(60, u'a') + u"b"},
  };
  for (const auto& [pattern, subject] : cases) {
    SCOPED_TRACE("pattern " + Narrow(pattern) + " subject " + Narrow(subject));
    ObjectRef engine = Engine(pattern);
    Variant result;
    EXPECT_EQ(Invoke(engine, u"Execute", InvokeKind::method, {subject}, result), Status::exception);
    EXPECT_EQ(Invoke(engine, u"Replace", InvokeKind::method, {subject, u"x"}, result),
              Status::exception);
  }
}

TEST(RegExpEngineTest, NothingFoundIsAnEmptyCollection) {
  EXPECT_TRUE(ExecuteAll(Engine(u"zz"), u"abc").empty());
}

TEST(RegExpEngineTest, ItemsAndSubMatches) {
  ObjectRef engine = Engine(u"(\\d)(x)?-(\\w)");
  Variant result;
  ASSERT_EQ(Invoke(engine, u"Execute", InvokeKind::method, {u"1-a 2x-b"}, result), Status::ok);
  ObjectRef matches = std::get<ObjectRef>(result);
  ASSERT_EQ(Int(Get(matches, u"Count")), 2);

  // The index is converted like any automation number.
  for (const Variant& index : {Variant(1), Variant(1.0), Variant(std::u16string(u"1"))}) {
    ObjectRef match = std::get<ObjectRef>(Get(matches, u"Item", {index}));
    EXPECT_EQ(Str(Get(match, u"Value")), u"2x-b");
    EXPECT_EQ(Int(Get(match, u"FirstIndex")), 4);
  }
  ObjectRef first = std::get<ObjectRef>(Get(matches, u"Item", {0.0}));
  ObjectRef subMatches = std::get<ObjectRef>(Get(first, u"SubMatches"));
  EXPECT_EQ(Int(Get(subMatches, u"Count")), 3);
  EXPECT_EQ(Str(Get(subMatches, u"Item", {0})), u"1");
  EXPECT_EQ(Str(Get(subMatches, u"Item", {1})), u"");  // the group did not take part
  EXPECT_EQ(Str(Get(subMatches, u"Item", {2})), u"a");

  const std::vector<std::pair<ObjectRef, Variant>> refused = {
      {matches, -1}, {matches, 2}, {matches, u"x"}, {subMatches, -1}, {subMatches, 3.0}};
  for (const auto& [collection, index] : refused) {
    SCOPED_TRACE("index " + Narrow(ConvertToString(index).value_or(u"?")));
    Variant item;
    EXPECT_NE(Invoke(collection, u"Item", InvokeKind::propertyGet, {index}, item), Status::ok);
    EXPECT_TRUE(IsEmpty(item));
  }
  Variant item;
  EXPECT_EQ(Invoke(matches, u"Item", InvokeKind::propertyGet, {}, item), Status::badParameterCount);
}

TEST(RegExpEngineTest, PropertiesReadBackAndThereIsNoSingleline) {
  ObjectRef engine = NewRegExpEngine();
  EXPECT_EQ(Get(engine, u"IgnoreCase"), Variant(false));
  EXPECT_EQ(Get(engine, u"Pattern"), Variant(std::u16string()));
  Put(engine, u"ignorecase", true);  // names match in any letter case
  Put(engine, u"Global", std::u16string(u"true"));
  Put(engine, u"Pattern", u"a+");
  EXPECT_EQ(Get(engine, u"IgnoreCase"), Variant(true));
  EXPECT_EQ(Get(engine, u"Global"), Variant(true));
  EXPECT_EQ(Get(engine, u"Multiline"), Variant(false));
  EXPECT_EQ(Get(engine, u"Pattern"), Variant(std::u16string(u"a+")));

  Variant ignored;
  EXPECT_EQ(Invoke(engine, u"Singleline", InvokeKind::propertyPut, {true}, ignored),
            Status::unknownName);
  EXPECT_EQ(Invoke(engine, u"Global", InvokeKind::propertyPut, {u"maybe"}, ignored),
            Status::typeMismatch);
  EXPECT_EQ(Get(engine, u"Global"), Variant(true));
}

}  // namespace
}  // namespace platform
