#include "web/call_by_name.h"

#include <initializer_list>
#include <utility>

#include "base/code_page.h"

namespace web {
namespace {

using platform::InvokeKind;
using platform::MemberInfo;
using platform::Status;

constexpr std::initializer_list<InvokeKind> kReadKinds = {InvokeKind::propertyGet,
                                                          InvokeKind::method};
constexpr std::initializer_list<InvokeKind> kWriteKinds = {
    InvokeKind::propertyPut, InvokeKind::propertyPutRef, InvokeKind::method};
constexpr std::initializer_list<InvokeKind> kMethodKinds = {
    InvokeKind::method, InvokeKind::propertyGet, InvokeKind::propertyPut,
    InvokeKind::propertyPutRef};

// Finds `name` under the first of `kinds` the object publishes and invokes that member.
// The first member found is the one called: a later kind is not tried when it refuses the
// arguments. True only when the object answered with Status::ok.
bool InvokeByName(const ObjectRef& object, const base::Text& name,
                  std::initializer_list<InvokeKind> kinds, std::vector<Variant>& arguments,
                  Variant& result) {
  if (!object) return false;
  const std::u16string wideName = base::TextToWide(name);
  const MemberInfo* member = nullptr;
  for (InvokeKind kind : kinds) {
    member = platform::FindMember(*object, wideName, kind);
    if (member != nullptr) break;
  }
  if (member == nullptr) return false;
  if (static_cast<long>(arguments.size()) > member->parameterCount) return false;
  // Calls by name never raise: whatever the object does wrong becomes the empty result.
  try {
    Variant answer;
    if (object->Invoke(member->memberId, member->kind, arguments, answer) != Status::ok) {
      return false;
    }
    result = std::move(answer);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace

Variant GetProperty(const ObjectRef& object, const base::Text& name,
                    std::vector<Variant> arguments) {
  Variant result;
  if (!InvokeByName(object, name, kReadKinds, arguments, result)) return Variant();
  return result;
}

bool PutProperty(const ObjectRef& object, const base::Text& name, Variant value) {
  // The new value is the member's last (here only) argument.
  std::vector<Variant> arguments;
  arguments.push_back(std::move(value));
  Variant ignored;
  return InvokeByName(object, name, kWriteKinds, arguments, ignored);
}

Variant CallMethod(const ObjectRef& object, const base::Text& name,
                   std::vector<Variant> arguments) {
  Variant result;
  if (!InvokeByName(object, name, kMethodKinds, arguments, result)) return Variant();
  return result;
}

base::Text VariantToText(const Variant& value) {
  std::optional<std::u16string> wide = platform::ConvertToString(value);
  return wide ? base::WideToText(*wide) : base::Text();
}

double VariantToReal(const Variant& value) {
  return platform::ConvertToReal(value).value_or(0.0);
}

bool VariantToBool(const Variant& value) {
  return platform::ConvertToBool(value).value_or(false);
}

ObjectRef VariantToObject(const Variant& value) {
  if (const ObjectRef* object = std::get_if<ObjectRef>(&value)) return *object;
  return nullptr;
}

base::ByteBuffer VariantToBytes(const Variant& value) {
  if (const base::ByteBuffer* bytes = std::get_if<base::ByteBuffer>(&value)) return *bytes;
  return {};
}

Variant TextToVariant(const base::Text& text) { return Variant(base::TextToWide(text)); }

}  // namespace web
