#include "platform/class_registry.h"

#include <mutex>
#include <utility>
#include <vector>

#include "platform/apartment.h"
#include "platform/http_request.h"
#include "platform/regexp_engine.h"

namespace platform {
namespace {

struct Entry {
  std::u16string progId;
  ClassFactory factory;  // empty once unregistered; ids stay stable
};

// The standard classes accept every server set: they always run in process.
template <typename MakeObject>
ClassFactory InProcessFactory(MakeObject makeObject) {
  return [makeObject](unsigned, ObjectRef& object) {
    object = makeObject();
    return object ? Status::ok : Status::exception;
  };
}

struct Registry {
  std::mutex mutex;
  std::vector<Entry> entries;

  Registry() { Reset(); }

  void Reset() {
    entries.clear();
    entries.push_back({u"MSXML2.XMLHTTP", InProcessFactory(NewHttpRequestObject)});
    entries.push_back({u"Microsoft.XMLHTTP", InProcessFactory(NewHttpRequestObject)});
    entries.push_back({u"VBScript.RegExp", InProcessFactory(NewRegExpEngine)});
  }

  Entry* Find(const std::u16string& progId) {
    for (Entry& entry : entries) {
      if (entry.factory && SameNameIgnoringAsciiCase(entry.progId, progId)) return &entry;
    }
    return nullptr;
  }
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

void RegisterClass(const std::u16string& progId, ClassFactory factory) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  if (Entry* entry = registry.Find(progId)) entry->factory = nullptr;
  registry.entries.push_back({progId, std::move(factory)});
}

void UnregisterClass(const std::u16string& progId) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  if (Entry* entry = registry.Find(progId)) entry->factory = nullptr;
}

void ResetClassRegistry() {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  registry.Reset();
}

std::optional<ClassId> LookupClass(const std::u16string& progId) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  Entry* entry = registry.Find(progId);
  if (entry == nullptr) return std::nullopt;
  return static_cast<ClassId>(entry - registry.entries.data());
}

Status CreateInstance(ClassId classId, unsigned serverKinds, ObjectRef& object) {
  if (ComponentServicesCount() == 0) return Status::notInitialized;
  ClassFactory factory;
  {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    if (classId < 0 || static_cast<std::size_t>(classId) >= registry.entries.size() ||
        !registry.entries[static_cast<std::size_t>(classId)].factory) {
      return Status::classNotRegistered;
    }
    factory = registry.entries[static_cast<std::size_t>(classId)].factory;
  }
  ObjectRef made;
  Status status = factory(serverKinds, made);
  if (status != Status::ok) return status;
  if (!made) return Status::exception;
  object = std::move(made);
  return Status::ok;
}

}  // namespace platform
