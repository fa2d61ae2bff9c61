// ProgID → class registry. Starts with the standard classes; tests may change it.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/dispatch.h"

namespace platform {

// Kinds of server a class may be instantiated in.
enum ServerKind : unsigned {
  inProcessServer = 1,
  inProcessHandler = 2,
  localServer = 4,
  remoteServer = 16,
};

// Makes a new object; may refuse a server set with Status::invalidArgument.
using ClassFactory = std::function<Status(unsigned serverKinds, ObjectRef& object)>;

using ClassId = int;

// Registers `progId` (matched without regard to ASCII letter case), replacing any class
// it named before.
void RegisterClass(const std::u16string& progId, ClassFactory factory);
void UnregisterClass(const std::u16string& progId);
// Back to the standard classes: "MSXML2.XMLHTTP", "Microsoft.XMLHTTP", "VBScript.RegExp".
void ResetClassRegistry();

std::optional<ClassId> LookupClass(const std::u16string& progId);

// Fails with Status::notInitialized on a thread without component services.
Status CreateInstance(ClassId classId, unsigned serverKinds, ObjectRef& object);

}  // namespace platform
