#include "web/call_by_name.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace web {
namespace {

using platform::DispatchObject;
using platform::InvokeKind;
using platform::MemberInfo;
using platform::Status;

const char* KindName(InvokeKind kind) {
  switch (kind) {
    case InvokeKind::method:
      return "method";
    case InvokeKind::propertyGet:
      return "get";
    case InvokeKind::propertyPut:
      return "put";
    case InvokeKind::propertyPutRef:
      return "putRef";
  }
  return "?";
}

// Publishes the members it is given and records every call.
class FakeObject : public DispatchObject {
 public:
  struct Call {
    InvokeKind kind;
    std::vector<Variant> arguments;
  };

  // One member "Item" per kind in `kinds`, each taking `parameterCount` arguments.
  explicit FakeObject(std::vector<InvokeKind> kinds, int parameterCount = 2) {
    for (InvokeKind kind : kinds) {
      members.push_back({u"Item", kind, parameterCount, static_cast<int>(members.size())});
    }
  }

  const std::vector<MemberInfo>* TypeInformation() const override {
    return publishesTypes ? &members : nullptr;
  }

  Status Invoke(int memberId, InvokeKind kind, std::vector<Variant>& arguments,
                Variant& result) override {
    calls.push_back({kind, arguments});
    if (members.at(static_cast<std::size_t>(memberId)).kind != kind) return Status::unknownName;
    if (throws) throw std::runtime_error("broken object");
    if (answerStatus == Status::ok) result = answer;
    return answerStatus;
  }

  std::vector<MemberInfo> members;
  bool publishesTypes = true;
  bool throws = false;
  Status answerStatus = Status::ok;
  Variant answer = Variant(std::u16string(u"answer"));
  std::vector<Call> calls;
};

enum class Operation { read, write, call };

// Runs `operation` on "item"; true when it reported success.
bool RunOperation(Operation operation, const ObjectRef& object, std::vector<Variant> arguments = {}) {
  switch (operation) {
    case Operation::read:
      return !IsEmpty(GetProperty(object, "item", std::move(arguments)));
    case Operation::write:
      return PutProperty(object, "item", Variant(std::int32_t{5}));
    case Operation::call:
      return !IsEmpty(CallMethod(object, "item", std::move(arguments)));
  }
  return false;
}

TEST(CallByNameTest, TriesInvokeKindsInTheOrderOfEachOperation) {
  using K = InvokeKind;
  struct Case {
    Operation operation;
    std::vector<InvokeKind> published;
    bool found;
    InvokeKind invoked;
  };
  const Case cases[] = {
      {Operation::read, {K::method, K::propertyGet}, true, K::propertyGet},
      {Operation::read, {K::method, K::propertyPut}, true, K::method},
      {Operation::read, {K::propertyPut, K::propertyPutRef}, false, K::method},
      {Operation::write, {K::method, K::propertyPutRef, K::propertyPut}, true, K::propertyPut},
      {Operation::write, {K::method, K::propertyPutRef}, true, K::propertyPutRef},
      {Operation::write, {K::propertyGet, K::method}, true, K::method},
      {Operation::write, {K::propertyGet}, false, K::method},
      {Operation::call, {K::propertyPutRef, K::propertyPut, K::propertyGet, K::method}, true,
       K::method},
      {Operation::call, {K::propertyPutRef, K::propertyPut, K::propertyGet}, true,
       K::propertyGet},
      {Operation::call, {K::propertyPutRef, K::propertyPut}, true, K::propertyPut},
      {Operation::call, {K::propertyPutRef}, true, K::propertyPutRef},
  };
  for (const Case& c : cases) {
    std::string published;
    for (InvokeKind kind : c.published) published += std::string(KindName(kind)) + " ";
    SCOPED_TRACE("operation " + std::to_string(static_cast<int>(c.operation)) +
                 ", published: " + published);
    auto object = std::make_shared<FakeObject>(c.published);
    EXPECT_EQ(RunOperation(c.operation, object), c.found);
    if (!c.found) {
      EXPECT_TRUE(object->calls.empty());
      continue;
    }
    ASSERT_EQ(object->calls.size(), 1u);
    EXPECT_STREQ(KindName(object->calls[0].kind), KindName(c.invoked));
  }
}

TEST(CallByNameTest, PassesOnlyTheArgumentsGivenAndTheWrittenValue) {
  auto object = std::make_shared<FakeObject>(std::vector{InvokeKind::method}, 3);
  CallMethod(object, "ITEM", {TextToVariant("a")});
  ASSERT_EQ(object->calls.size(), 1u);
  ASSERT_EQ(object->calls[0].arguments.size(), 1u) << "left-out trailing arguments are not sent";
  EXPECT_EQ(std::get<std::u16string>(object->calls[0].arguments[0]), u"a");

  auto property = std::make_shared<FakeObject>(std::vector{InvokeKind::propertyPut}, 1);
  EXPECT_TRUE(PutProperty(property, "Item", Variant(true)));
  ASSERT_EQ(property->calls.size(), 1u);
  EXPECT_EQ(property->calls[0].arguments, std::vector<Variant>{Variant(true)});
}

TEST(CallByNameTest, AnyFailureGivesTheEmptyResultAndNothingElse) {
  struct Case {
    const char* label;
    void (*spoil)(FakeObject&);
    std::size_t arguments;
  };
  const Case cases[] = {
      {"no type information", [](FakeObject& o) { o.publishesTypes = false; }, 0},
      {"unknown name",
       [](FakeObject& o) {
         for (MemberInfo& member : o.members) member.name = u"Item2";
       },
       0},
      {"more arguments than the member takes", [](FakeObject&) {}, 3},
      {"error status", [](FakeObject& o) { o.answerStatus = Status::exception; }, 0},
      {"failed conversion", [](FakeObject& o) { o.answerStatus = Status::typeMismatch; }, 0},
      {"object throws", [](FakeObject& o) { o.throws = true; }, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    for (Operation operation : {Operation::read, Operation::write, Operation::call}) {
      auto object = std::make_shared<FakeObject>(
          std::vector{InvokeKind::propertyGet, InvokeKind::propertyPut, InvokeKind::method});
      c.spoil(*object);
      std::vector<Variant> arguments(c.arguments, Variant(std::int32_t{1}));
      if (operation == Operation::write && c.arguments > 0) {
        object->members.assign(1, {u"Item", InvokeKind::propertyPut, 0, 0});  // takes no value
      }
      EXPECT_FALSE(RunOperation(operation, object, arguments))
          << "operation " << static_cast<int>(operation);
    }
  }
  EXPECT_TRUE(IsEmpty(GetProperty(nullptr, "Item")));
  EXPECT_FALSE(PutProperty(nullptr, "Item", Variant(true)));
  EXPECT_TRUE(IsEmpty(CallMethod(nullptr, "Item")));
}

TEST(CallByNameTest, ResultsConvertToTheCallersTypeOrToItsEmptyValue) {
  auto object = std::make_shared<FakeObject>(std::vector{InvokeKind::method});
  const Variant bytes(base::ByteBuffer{0, 0xff});
  EXPECT_EQ(VariantToText(bytes), "");
  EXPECT_EQ(VariantToReal(bytes), 0.0);
  EXPECT_FALSE(VariantToBool(Variant(object)));
  EXPECT_EQ(VariantToBytes(Variant(std::u16string(u"ab"))), base::ByteBuffer());
  EXPECT_EQ(VariantToBytes(bytes), (base::ByteBuffer{0, 0xff}));
  EXPECT_EQ(VariantToObject(Variant(std::int32_t{1})), nullptr);
  EXPECT_EQ(VariantToObject(Variant(object)), object);
  EXPECT_EQ(VariantToReal(Variant(std::u16string(u"2.5"))), 2.5);
  EXPECT_TRUE(VariantToBool(Variant(std::u16string(u"True"))));
  // "信息" in code page 936 goes out as two characters and comes back unchanged.
  const base::Text text = "\xD0\xC5\xCF\xA2";
  EXPECT_EQ(std::get<std::u16string>(TextToVariant(text)), u"信息");
  EXPECT_EQ(VariantToText(TextToVariant(text)), text);
}

}  // namespace
}  // namespace web
