#include "platform/apartment.h"

namespace platform {
namespace {

thread_local int componentServicesCount = 0;
thread_local int oleCount = 0;

}  // namespace

void InitializeComponentServices() { ++componentServicesCount; }

void UninitializeComponentServices() {
  if (componentServicesCount > 0) --componentServicesCount;
}

void InitializeOle() {
  InitializeComponentServices();
  ++oleCount;
}

void UninitializeOle() {
  if (oleCount == 0) return;
  --oleCount;
  UninitializeComponentServices();
}

int ComponentServicesCount() { return componentServicesCount; }
int OleCount() { return oleCount; }

}  // namespace platform
