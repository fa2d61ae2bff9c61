#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <thread>

#include "platform/apartment.h"
#include "platform/class_registry.h"
#include "platform/dispatch.h"
#include "platform/variant.h"
#include "support/comma_locale.h"

namespace platform {
namespace {

class Empty : public AutomationObject {};

TEST(ApartmentTest, CreationNeedsComponentServicesOnTheCallingThread) {
  std::optional<ClassId> classId = LookupClass(u"MSXML2.XMLHTTP");
  ASSERT_TRUE(classId);
  // A fresh thread has no component services, whatever the main thread has.
  std::thread([&] {
    ObjectRef object;
    EXPECT_EQ(CreateInstance(*classId, inProcessServer, object), Status::notInitialized);
    EXPECT_EQ(object, nullptr);

    InitializeOle();  // also initialises component services
    EXPECT_EQ(ComponentServicesCount(), 1);
    EXPECT_EQ(CreateInstance(*classId, inProcessServer, object), Status::ok);
    EXPECT_NE(object, nullptr);
    object.reset();

    UninitializeOle();
    UninitializeOle();  // an extra one never goes below 0
    EXPECT_EQ(ComponentServicesCount(), 0);
    EXPECT_EQ(OleCount(), 0);
  }).join();
}

TEST(ClassRegistryTest, ProgIdsMatchWithoutLetterCaseAndCanBeReplaced) {
  EXPECT_EQ(LookupClass(u"msxml2.xmlhttp"), LookupClass(u"MSXML2.XMLHTTP"));
  EXPECT_TRUE(LookupClass(u"vbscript.REGEXP"));
  EXPECT_FALSE(LookupClass(u"MSXML2.XMLHTTP.3.0"));
  EXPECT_FALSE(LookupClass(u""));

  InitializeComponentServices();
  RegisterClass(u"Test.Thing", [](unsigned, ObjectRef& object) {
    object = std::make_shared<Empty>();
    return Status::ok;
  });
  RegisterClass(u"TEST.THING", [](unsigned, ObjectRef&) { return Status::exception; });
  std::optional<ClassId> classId = LookupClass(u"test.thing");
  ASSERT_TRUE(classId);
  ObjectRef object;
  EXPECT_EQ(CreateInstance(*classId, inProcessServer, object), Status::exception)
      << "the later registration replaces the earlier one";

  UnregisterClass(u"Test.Thing");
  EXPECT_FALSE(LookupClass(u"Test.Thing"));
  ResetClassRegistry();
  UninitializeComponentServices();
}

TEST(DispatchTest, MembersAreFoundByNameInAnyCaseAndByKind) {
  class Object : public AutomationObject {
   public:
    Object() {
      AddMember(u"Value", InvokeKind::propertyGet, 0, [](std::vector<Variant>&, Variant& r) {
        r = std::int32_t{7};
        return Status::ok;
      });
    }
  } object;
  const MemberInfo* member = FindMember(object, u"VALUE", InvokeKind::propertyGet);
  ASSERT_NE(member, nullptr);
  EXPECT_EQ(FindMember(object, u"Value", InvokeKind::method), nullptr);
  EXPECT_EQ(FindMember(object, u"Valu", InvokeKind::propertyGet), nullptr);

  std::vector<Variant> tooMany{Variant(1)};
  Variant result;
  EXPECT_EQ(object.Invoke(member->memberId, InvokeKind::propertyGet, tooMany, result),
            Status::badParameterCount);
  EXPECT_TRUE(IsEmpty(result)) << "the result is written only on success";
}

TEST(VariantTest, ConversionsFollowAutomationRules) {
  struct Case {
    const char* label;
    Variant value;
    std::optional<std::int32_t> asInt;
    std::optional<bool> asBool;
    std::optional<std::u16string> asString;
  };
  const Case cases[] = {
      {"true", Variant(true), -1, true, u"-1"},
      {"false", Variant(false), 0, false, u"0"},
      {"2.5 rounds to even", Variant(2.5), 2, true, u"2.5"},
      {"3.5 rounds to even", Variant(3.5), 4, true, u"3.5"},
      {"-2.5 rounds to even", Variant(-2.5), -2, true, u"-2.5"},
      {"2^31 does not fit", Variant(2147483648.0), std::nullopt, true, u"2147483648"},
      {"blanks around a number", Variant(std::u16string(u" 12 ")), 12, true, u" 12 "},
      {"hexadecimal is no number", Variant(std::u16string(u"0x10")), std::nullopt,
       std::nullopt, u"0x10"},
      {"TRUE in capitals", Variant(std::u16string(u"TRUE")), std::nullopt, true, u"TRUE"},
      {"empty", Variant(), 0, false, u""},
      {"bytes", Variant(base::ByteBuffer{1, 2}), std::nullopt, std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(ConvertToInt(c.value), c.asInt);
    EXPECT_EQ(ConvertToBool(c.value), c.asBool);
    EXPECT_EQ(ConvertToString(c.value), c.asString);
  }
}

// The GUI toolkit sets the numeric locale from the environment; conversions keep the
// decimal point whatever it says.
TEST(VariantTest, ConversionsIgnoreTheProcessLocale) {
  support::ScopedCommaLocale commaLocale;
  if (!commaLocale.Active()) GTEST_SKIP() << "no locale with a decimal comma available";
  EXPECT_EQ(ConvertToString(Variant(1.5)), u"1.5");
  EXPECT_EQ(ConvertToReal(Variant(std::u16string(u"2.25"))), 2.25);
  EXPECT_EQ(ConvertToReal(Variant(std::u16string(u"2,25"))), std::nullopt);
}

}  // namespace
}  // namespace platform
