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
  insideHook = true;
  // A copy: the hook may install another hook while it runs.
  std::function<void()> hook = InstalledHook();
  hook();
  insideHook = false;
}

}  // namespace platform

namespace platform {
namespace {
std::atomic<bool> waitsAbandoned{false};
}  // namespace

void SetWaitsAbandoned(bool abandoned) { waitsAbandoned = abandoned; }
bool WaitsAbandoned() { return waitsAbandoned; }

}  // namespace platform
