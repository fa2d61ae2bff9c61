// Calls by member name with arbitrary names, kinds and argument variants, against a real
// regular-expression engine (and the match objects it hands out) and small fake objects.
// Each input is a script of up to kMaxCalls calls; what the calls give back joins the pool
// of objects later calls aim at. Checked: nothing crashes, leaks or raises; a call on no
// object fails; a property write that succeeded reads back; a match collection is
// consistent with its subject.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "base/code_page.h"
#include "fuzz_check.h"
#include "platform/apartment.h"
#include "platform/dispatch.h"
#include "platform/regexp_engine.h"
#include "web/call_by_name.h"

namespace {

using platform::AutomationObject;
using platform::DispatchObject;
using platform::InvokeKind;
using platform::MemberInfo;
using platform::ObjectRef;
using platform::Status;
using platform::Variant;

constexpr int kMaxCalls = 24;
constexpr std::size_t kMaxPool = 12;
constexpr std::size_t kMaxStringLength = 200;

// Members of every object in play, and a few that no object has.
const char* const kNames[] = {
    "IgnoreCase", "Multiline", "Global", "Pattern",  "Execute", "Replace", "Count",
    "Item",       "Value",     "FirstIndex", "Length", "SubMatches", "Singleline", "Echo",
    "Sum",        "Fail",      "Throw",  "Child",    "Bytes",   "Negative", "Ghost",
    "Run",        "",
};

// A small object with members of every kind, some that fail, raise or declare odd
// parameter counts. It keeps no object it is given, so pools of these never form cycles.
class FakeObject : public AutomationObject {
 public:
  explicit FakeObject(int depth) {
    AddMember(u"Value", InvokeKind::propertyGet, 0, [this](std::vector<Variant>&, Variant& result) {
      result = value_;
      return Status::ok;
    });
    AddMember(u"Value", InvokeKind::propertyPut, 1,
              [this](std::vector<Variant>& arguments, Variant&) {
                if (arguments.size() != 1) return Status::badParameterCount;
                if (std::holds_alternative<ObjectRef>(arguments[0])) return Status::typeMismatch;
                value_ = arguments[0];
                return Status::ok;
              });
    AddMember(u"Value", InvokeKind::propertyPutRef, 1,
              [](std::vector<Variant>& arguments, Variant&) {
                return arguments.size() == 1 && std::holds_alternative<ObjectRef>(arguments[0])
                           ? Status::ok
                           : Status::typeMismatch;
              });
    AddMember(u"Echo", InvokeKind::method, 4, [](std::vector<Variant>& arguments, Variant& result) {
      if (!arguments.empty()) result = arguments.front();
      return Status::ok;
    });
    AddMember(u"Sum", InvokeKind::method, 3, [](std::vector<Variant>& arguments, Variant& result) {
      double sum = 0;
      for (const Variant& argument : arguments) {
        std::optional<double> number = platform::ConvertToReal(argument);
        if (!number) return Status::typeMismatch;
        sum += *number;
      }
      result = sum;
      return Status::ok;
    });
    AddMember(u"Fail", InvokeKind::method, 2,
              [](std::vector<Variant>&, Variant&) { return Status::exception; });
    AddMember(u"Throw", InvokeKind::method, 1, [](std::vector<Variant>&, Variant&) -> Status {
      throw std::runtime_error("member failed");
    });
    AddMember(u"Item", InvokeKind::propertyGet, 1, [](std::vector<Variant>& arguments, Variant& result) {
      std::optional<std::int32_t> index =
          arguments.empty() ? std::optional<std::int32_t>(0) : platform::ConvertToInt(arguments[0]);
      if (!index) return Status::typeMismatch;
      result = *index;
      return Status::ok;
    });
    AddMember(u"Item", InvokeKind::method, 2, [](std::vector<Variant>& arguments, Variant& result) {
      result = static_cast<std::int32_t>(arguments.size());
      return Status::ok;
    });
    AddMember(u"Bytes", InvokeKind::propertyGet, 0, [this](std::vector<Variant>&, Variant& result) {
      base::Text text = web::VariantToText(value_);
      result = base::ByteBuffer(text.begin(), text.end());
      return Status::ok;
    });
    // A broken type library: a member that claims to take fewer than no arguments.
    AddMember(u"Negative", InvokeKind::method, -1,
              [](std::vector<Variant>&, Variant&) { return Status::ok; });
    if (depth < 3) {
      AddMember(u"Child", InvokeKind::propertyGet, 0, [depth](std::vector<Variant>&, Variant& result) {
        result = ObjectRef(std::make_shared<FakeObject>(depth + 1));
        return Status::ok;
      });
    }
  }

 private:
  Variant value_;
};

// An object that publishes no type information: every call by name fails.
class OpaqueObject : public DispatchObject {
 public:
  const std::vector<MemberInfo>* TypeInformation() const override { return nullptr; }
  Status Invoke(int, InvokeKind, std::vector<Variant>&, Variant&) override {
    return Status::exception;
  }
};

// An object whose type information names member ids its Invoke does not know.
class StaleObject : public DispatchObject {
 public:
  const std::vector<MemberInfo>* TypeInformation() const override { return &members_; }
  Status Invoke(int memberId, InvokeKind, std::vector<Variant>&, Variant&) override {
    return memberId == 0 ? Status::ok : Status::unknownName;
  }

 private:
  std::vector<MemberInfo> members_ = {{u"Value", InvokeKind::propertyGet, 0, 7},
                                      {u"Echo", InvokeKind::method, 1, -3},
                                      {u"Run", InvokeKind::method, 0, 0}};
};

base::Text PickName(FuzzedDataProvider& input) {
  if (input.ConsumeIntegralInRange(0, 7) == 0) return input.ConsumeRandomLengthString(24);
  base::Text name = kNames[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kNames) - 1)];
  // Names match whatever the ASCII letter case.
  if (input.ConsumeBool()) {
    for (char& c : name) {
      if (c >= 'a' && c <= 'z' && input.ConsumeBool()) c = static_cast<char>(c - 'a' + 'A');
    }
  }
  return name;
}

double PickReal(FuzzedDataProvider& input) {
  static const double kSpecial[] = {0.0,
                                    -0.0,
                                    0.5,
                                    1.5,
                                    2.5,
                                    -1.0,
                                    2147483647.5,
                                    2147483648.0,
                                    -2147483648.5,
                                    -2147483649.0,
                                    1e308,
                                    std::numeric_limits<double>::denorm_min(),
                                    std::numeric_limits<double>::infinity(),
                                    -std::numeric_limits<double>::infinity(),
                                    std::numeric_limits<double>::quiet_NaN()};
  if (input.ConsumeBool()) {
    return kSpecial[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kSpecial) - 1)];
  }
  return input.ConsumeFloatingPoint<double>();
}

Variant PickVariant(FuzzedDataProvider& input, const std::vector<ObjectRef>& pool) {
  switch (input.ConsumeIntegralInRange(0, 8)) {
    case 0:
      return Variant();
    case 1:
      return input.ConsumeBool();
    case 2:
      return input.ConsumeIntegral<std::int32_t>();
    case 3:
      return PickReal(input);
    case 4:  // a text as a caller passes it: code page 936 to UTF-16
      return web::TextToVariant(input.ConsumeRandomLengthString(kMaxStringLength));
    case 5: {  // any UTF-16 code units, lone surrogates included
      std::u16string wide;
      const std::string bytes = input.ConsumeRandomLengthString(2 * kMaxStringLength);
      for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             static_cast<unsigned char>(bytes[i + 1]) << 8));
      }
      return wide;
    }
    case 6: {
      const std::string bytes = input.ConsumeRandomLengthString(64);
      return base::ByteBuffer(bytes.begin(), bytes.end());
    }
    case 7:
      return ObjectRef();
    default:
      return pool[input.ConsumeIntegralInRange<std::size_t>(0, pool.size() - 1)];
  }
}

bool SameNameAs(const base::Text& name, const char* member) {
  const std::u16string wide = base::TextToWide(name);
  std::size_t i = 0;
  for (; member[i] != '\0'; ++i) {
    if (i >= wide.size()) return false;
    char16_t unit = wide[i];
    if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit - u'A' + u'a');
    char16_t want = static_cast<char16_t>(member[i]);
    if (want >= u'A' && want <= u'Z') want = static_cast<char16_t>(want - u'A' + u'a');
    if (unit != want) return false;
  }
  return i == wide.size();
}

// Every conversion of a result; none may fail loudly.
void ConvertEveryWay(const Variant& value) {
  const base::Text text = web::VariantToText(value);
  const double real = web::VariantToReal(value);
  static_cast<void>(web::VariantToBool(value));
  const ObjectRef object = web::VariantToObject(value);
  const base::ByteBuffer bytes = web::VariantToBytes(value);
  const ObjectRef* held = std::get_if<ObjectRef>(&value);
  FUZZ_CHECK((object != nullptr) == (held != nullptr && *held != nullptr));
  if (!std::holds_alternative<base::ByteBuffer>(value)) FUZZ_CHECK(bytes.empty());
  if (held != nullptr) FUZZ_CHECK(text.empty() && real == 0.0);
  static_cast<void>(platform::ConvertToInt(value));
}

int ToInt(const Variant& value) {
  const std::int32_t* number = std::get_if<std::int32_t>(&value);
  FUZZ_CHECK(number != nullptr);
  return *number;
}

// A match collection from "Execute" over `subject`: counts, positions and texts agree.
void CheckMatches(const ObjectRef& collection, const std::u16string& subject) {
  const int count = ToInt(web::GetProperty(collection, "Count"));
  FUZZ_CHECK(count >= 0);
  FUZZ_CHECK(IsEmpty(web::GetProperty(collection, "Item", {Variant(count)})));
  FUZZ_CHECK(IsEmpty(web::GetProperty(collection, "Item", {Variant(-1)})));
  std::size_t previousEnd = 0;
  for (int i = 0; i < count && i < 4; ++i) {
    const ObjectRef match = web::VariantToObject(web::GetProperty(collection, "Item", {Variant(i)}));
    FUZZ_CHECK(match != nullptr);
    const int first = ToInt(web::GetProperty(match, "FirstIndex"));
    const int length = ToInt(web::GetProperty(match, "Length"));
    FUZZ_CHECK(first >= 0 && length >= 0);
    FUZZ_CHECK(static_cast<std::size_t>(first) + static_cast<std::size_t>(length) <= subject.size());
    FUZZ_CHECK(static_cast<std::size_t>(first) >= previousEnd);  // in order, no overlaps
    previousEnd = static_cast<std::size_t>(first + length);
    const Variant value = web::GetProperty(match, "Value");
    const std::u16string* text = std::get_if<std::u16string>(&value);
    FUZZ_CHECK(text != nullptr);
    FUZZ_CHECK(*text == subject.substr(static_cast<std::size_t>(first),
                                       static_cast<std::size_t>(length)));
    const ObjectRef groups = web::VariantToObject(web::GetProperty(match, "SubMatches"));
    FUZZ_CHECK(groups != nullptr);
    const int groupCount = ToInt(web::GetProperty(groups, "Count"));
    FUZZ_CHECK(groupCount >= 0);
    for (int g = 0; g < groupCount && g < 4; ++g) {
      const Variant group = web::GetProperty(groups, "Item", {Variant(g)});
      const std::u16string* groupText = std::get_if<std::u16string>(&group);
      FUZZ_CHECK(groupText != nullptr && groupText->size() <= subject.size());
    }
    FUZZ_CHECK(IsEmpty(web::GetProperty(groups, "Item", {Variant(groupCount)})));
  }
}

// A property written with `value` reads back as its conversion.
void CheckReadBack(const ObjectRef& engine, const base::Text& name, const Variant& value) {
  const Variant read = web::GetProperty(engine, name);
  if (SameNameAs(name, "Pattern")) {
    const std::u16string* pattern = std::get_if<std::u16string>(&read);
    FUZZ_CHECK(pattern != nullptr && *pattern == platform::ConvertToString(value).value());
  } else {
    const bool* flag = std::get_if<bool>(&read);
    FUZZ_CHECK(flag != nullptr && *flag == platform::ConvertToBool(value).value());
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  platform::InitializeComponentServices();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const ObjectRef engine = platform::NewRegExpEngine();
  FUZZ_CHECK(engine != nullptr);
  std::vector<ObjectRef> pool = {engine, std::make_shared<FakeObject>(0),
                                 std::make_shared<OpaqueObject>(), std::make_shared<StaleObject>(),
                                 nullptr};

  for (int call = 0; call < kMaxCalls && input.remaining_bytes() > 0; ++call) {
    const int kind = input.ConsumeIntegralInRange(0, 2);
    const ObjectRef target = pool[input.ConsumeIntegralInRange<std::size_t>(0, pool.size() - 1)];
    const base::Text name = PickName(input);
    std::vector<Variant> arguments(input.ConsumeIntegralInRange<std::size_t>(0, 4));
    for (Variant& argument : arguments) argument = PickVariant(input, pool);

    Variant result;
    if (kind == 0) {
      result = web::GetProperty(target, name, arguments);
    } else if (kind == 1) {
      const Variant value = arguments.empty() ? Variant() : arguments.front();
      const bool written = web::PutProperty(target, name, value);
      if (!target) FUZZ_CHECK(!written);
      const bool engineSetting = SameNameAs(name, "Pattern") || SameNameAs(name, "Global") ||
                                 SameNameAs(name, "IgnoreCase") || SameNameAs(name, "Multiline");
      if (written && target == engine && engineSetting) CheckReadBack(engine, name, value);
      result = written;
    } else {
      result = web::CallMethod(target, name, arguments);
    }
    if (!target) FUZZ_CHECK(IsEmpty(result) || kind == 1);
    ConvertEveryWay(result);

    if (target == engine && kind != 1 && SameNameAs(name, "Execute") && arguments.size() == 1) {
      if (ObjectRef matches = web::VariantToObject(result)) {
        CheckMatches(matches, platform::ConvertToString(arguments[0]).value());
      }
    }
    if (ObjectRef object = web::VariantToObject(result); object && pool.size() < kMaxPool) {
      pool.push_back(std::move(object));
    }
  }
  return 0;
}
