// Calls by member name with arbitrary names, kinds and argument variants, against a real
// regular-expression engine (and the match objects it hands out) and small fake objects.
// Each input is a script of up to kMaxCalls calls (its format is in LLVMFuzzerTestOneInput);
// what the calls give back joins the pool of objects later calls aim at. Checked: nothing
// crashes, leaks or raises; a call on no object fails; a property write that succeeded
// reads back; a match collection is consistent with its subject and with "Replace".
#include <algorithm>
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

// Reads the script front to back; past the end every read gives zeros.
class Script {
 public:
  Script(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool AtEnd() const { return pos_ >= size_; }
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::size_t Pick(std::size_t count) { return Byte() % count; }

  // A length byte, then that many bytes (fewer when the script ends).
  std::string String() {
    const std::size_t length = std::min<std::size_t>(Byte(), size_ - std::min(pos_, size_));
    std::string bytes(reinterpret_cast<const char*>(data_ + pos_), length);
    pos_ += length;
    return bytes;
  }

  template <typename T>
  T Raw() {
    T value{};
    unsigned char* out = reinterpret_cast<unsigned char*>(&value);
    for (std::size_t i = 0; i < sizeof value; ++i) out[i] = Byte();
    return value;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// A name byte below 0xF0 picks a known name (bit 7 writes it in capitals); else a raw
// name follows.
base::Text PickName(Script& script) {
  const std::uint8_t pick = script.Byte();
  if (pick >= 0xF0) return script.String();
  base::Text name = kNames[(pick & 0x7F) % std::size(kNames)];
  if ((pick & 0x80) != 0) {
    for (char& c : name) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
  }
  return name;
}

double PickReal(Script& script) {
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
  const std::uint8_t pick = script.Byte();
  if (pick < std::size(kSpecial)) return kSpecial[pick];
  return script.Raw<double>();
}

// A type byte, then the value: see the cases.
Variant PickVariant(Script& script, const std::vector<ObjectRef>& pool) {
  switch (script.Pick(9)) {
    case 0:
      return Variant();
    case 1:
      return (script.Byte() & 1) != 0;
    case 2:
      return script.Raw<std::int32_t>();
    case 3:
      return PickReal(script);
    case 4:  // a text as a caller passes it: code page 936 to UTF-16
      return web::TextToVariant(script.String());
    case 5: {  // any UTF-16 code units, lone surrogates included
      const std::string bytes = script.String();
      std::u16string wide;
      for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             static_cast<unsigned char>(bytes[i + 1]) << 8));
      }
      return wide;
    }
    case 6: {
      const std::string bytes = script.String();
      return base::ByteBuffer(bytes.begin(), bytes.end());
    }
    case 7:
      return ObjectRef();
    default:
      return pool[script.Pick(pool.size())];
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

// A match collection from "Execute" over `subject`: counts, positions and texts agree, and
// "Replace" with the same settings cuts out the same matches.
void CheckMatches(const ObjectRef& engine, const ObjectRef& collection,
                  const std::u16string& subject) {
  const int count = ToInt(web::GetProperty(collection, "Count"));
  FUZZ_CHECK(count >= 0);
  if (!web::VariantToBool(web::GetProperty(engine, "Global"))) FUZZ_CHECK(count <= 1);
  if (count <= 64) {
    std::size_t matched = 0;
    for (int i = 0; i < count; ++i) {
      const ObjectRef match = web::VariantToObject(web::GetProperty(collection, "Item", {Variant(i)}));
      FUZZ_CHECK(match != nullptr);
      matched += static_cast<std::size_t>(ToInt(web::GetProperty(match, "Length")));
    }
    // The engine may hit its match limit on any run; only a finished run is compared.
    const Variant removed = web::CallMethod(engine, "Replace", {Variant(subject), Variant(std::u16string())});
    if (const std::u16string* rest = std::get_if<std::u16string>(&removed)) {
      FUZZ_CHECK(rest->size() + matched == subject.size());
    }
    const Variant same = web::CallMethod(engine, "Replace", {Variant(subject), Variant(std::u16string(u"$&"))});
    if (const std::u16string* text = std::get_if<std::u16string>(&same)) FUZZ_CHECK(*text == subject);
  }
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
  Script script(data, size);
  const ObjectRef engine = platform::NewRegExpEngine();
  FUZZ_CHECK(engine != nullptr);
  std::vector<ObjectRef> pool = {engine, std::make_shared<FakeObject>(0),
                                 std::make_shared<OpaqueObject>(), std::make_shared<StaleObject>(),
                                 nullptr};

  // Each call: a kind byte (get, put, method), a target byte, a name, an argument count
  // byte, then the arguments.
  for (int call = 0; call < kMaxCalls && !script.AtEnd(); ++call) {
    const std::size_t kind = script.Pick(3);
    const ObjectRef target = pool[script.Pick(pool.size())];
    const base::Text name = PickName(script);
    std::vector<Variant> arguments(script.Pick(5));
    for (Variant& argument : arguments) argument = PickVariant(script, pool);

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
        CheckMatches(engine, matches, platform::ConvertToString(arguments[0]).value());
      }
    }
    if (ObjectRef object = web::VariantToObject(result); object && pool.size() < kMaxPool) {
      pool.push_back(std::move(object));
    }
  }
  return 0;
}
