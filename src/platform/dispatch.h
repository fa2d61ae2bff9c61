// Dispatch interface: objects that publish type information and answer calls by member id.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/variant.h"

namespace platform {

enum class InvokeKind { method, propertyGet, propertyPut, propertyPutRef };

// Outcome of an automation call.
enum class Status {
  ok,
  unknownName,          // no member of that name and kind
  badParameterCount,    // more arguments than the member takes, or too few required ones
  typeMismatch,         // an argument could not be converted
  invalidArgument,      // an argument value the member refuses (also: a rejected server set)
  exception,            // the member ran and failed
  notInitialized,       // component services are not initialised on this thread
  classNotRegistered,
  noInterface,          // the object offers no automation interface
};

// One entry of an object's type information.
struct MemberInfo {
  std::u16string name;
  InvokeKind kind;
  int parameterCount;  // most arguments the member takes
  int memberId;        // what Invoke takes
};

class DispatchObject {
 public:
  virtual ~DispatchObject() = default;

  // The object's members; nullptr when it publishes no type information.
  virtual const std::vector<MemberInfo>* TypeInformation() const = 0;

  // Calls member `memberId` as `kind`. `arguments` are in declaration order; trailing
  // optional ones may be left out. `result` is written only on Status::ok.
  virtual Status Invoke(int memberId, InvokeKind kind, std::vector<Variant>& arguments,
                        Variant& result) = 0;

  // Puts a new object into its running state.
  virtual Status Run() { return Status::ok; }
};

// True when `a` and `b` are the same name, ASCII letters matching either case, as
// automation names and ProgIDs are compared.
bool SameNameIgnoringAsciiCase(const std::u16string& a, const std::u16string& b);

// The member of `kind` named `name` (ASCII letters match either case), or nullptr.
const MemberInfo* FindMember(const DispatchObject& object, const std::u16string& name,
                             InvokeKind kind);

// Base for our own objects: members are registered with a handler each.
class AutomationObject : public DispatchObject {
 public:
  using Handler = std::function<Status(std::vector<Variant>& arguments, Variant& result)>;

  const std::vector<MemberInfo>* TypeInformation() const override { return &members_; }
  Status Invoke(int memberId, InvokeKind kind, std::vector<Variant>& arguments,
                Variant& result) override;

 protected:
  void AddMember(std::u16string name, InvokeKind kind, int parameterCount, Handler handler);

 private:
  std::vector<MemberInfo> members_;
  std::vector<Handler> handlers_;
};

}  // namespace platform
