#include "platform/wait_hook.h"

#include <atomic>
#include <utility>

namespace platform {
namespace {

std::function<void()>& InstalledHook() {
  static std::function<void()> hook;
  return hook;
}

thread_local bool insideHook = false;

}  // namespace

void SetWaitHook(std::function<void()> hook) { InstalledHook() = std::move(hook); }

void CallWaitHook() {
  if (insideHook || !InstalledHook()) return;
  // Cleared however the hook ends, so a hook that throws does not silence later waits.
  struct InsideHook {
    InsideHook() { insideHook = true; }
    ~InsideHook() { insideHook = false; }
  } inside;
  // A copy: the hook may install another hook while it runs.
  std::function<void()> hook = InstalledHook();
  hook();
}

}  // namespace platform

namespace platform {
namespace {
std::atomic<bool> waitsAbandoned{false};
}  // namespace

void SetWaitsAbandoned(bool abandoned) { waitsAbandoned = abandoned; }
bool WaitsAbandoned() { return waitsAbandoned; }

}  // namespace platform
