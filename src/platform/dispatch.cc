#include "platform/dispatch.h"

#include <utility>

namespace platform {
namespace {

char16_t FoldAscii(char16_t unit) {
  return (unit >= u'A' && unit <= u'Z') ? static_cast<char16_t>(unit - u'A' + u'a') : unit;
}

}  // namespace

bool SameNameIgnoringAsciiCase(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

const MemberInfo* FindMember(const DispatchObject& object, const std::u16string& name,
                             InvokeKind kind) {
  const std::vector<MemberInfo>* members = object.TypeInformation();
  if (members == nullptr) return nullptr;
  for (const MemberInfo& member : *members) {
    if (member.kind == kind && SameNameIgnoringAsciiCase(member.name, name)) return &member;
  }
  return nullptr;
}

Status AutomationObject::Invoke(int memberId, InvokeKind kind, std::vector<Variant>& arguments,
                                Variant& result) {
  if (memberId < 0 || static_cast<std::size_t>(memberId) >= members_.size()) {
    return Status::unknownName;
  }
  const MemberInfo& member = members_[static_cast<std::size_t>(memberId)];
  if (member.kind != kind) return Status::unknownName;
  if (arguments.size() > static_cast<std::size_t>(member.parameterCount)) {
    return Status::badParameterCount;
  }
  Variant value;
  Status status = handlers_[static_cast<std::size_t>(memberId)](arguments, value);
  if (status == Status::ok) result = std::move(value);
  return status;
}

void AutomationObject::AddMember(std::u16string name, InvokeKind kind, int parameterCount,
                                 Handler handler) {
  int memberId = static_cast<int>(members_.size());
  members_.push_back(MemberInfo{std::move(name), kind, parameterCount, memberId});
  handlers_.push_back(std::move(handler));
}

}  // namespace platform
