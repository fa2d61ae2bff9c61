#include "web/object_creation.h"

#include <optional>
#include <utility>

#include "base/code_page.h"
#include "platform/class_registry.h"

namespace web {

bool CreateObjectFromProgId(const base::Text& progId, platform::ObjectRef& slot) {
  std::optional<platform::ClassId> classId = platform::LookupClass(base::TextToWide(progId));
  if (!classId) return false;

  constexpr unsigned kLocalKinds =
      platform::inProcessServer | platform::inProcessHandler | platform::localServer;
  platform::ObjectRef made;
  platform::Status status =
      platform::CreateInstance(*classId, kLocalKinds | platform::remoteServer, made);
  // Some systems refuse remote servers in the set; they get the local kinds only.
  if (status == platform::Status::invalidArgument) {
    made = nullptr;
    status = platform::CreateInstance(*classId, kLocalKinds, made);
  }
  if (status != platform::Status::ok || !made) return false;

  if (made->Run() != platform::Status::ok) return false;  // `made` is released here

  slot = std::move(made);  // releases what the slot held
  return true;
}

}  // namespace web
