// Process-wide hook that long waits call between short slices, so a GUI can stay alive.
#pragma once

#include <functional>

namespace platform {

// Installs `hook` (an empty function removes it).
void SetWaitHook(std::function<void()> hook);

// Runs the installed hook, if any. A hook that calls back into a wait does not recurse.
void CallWaitHook();

// Once set, every wait in progress or started later gives up at its next slice and fails,
// as when the program is closing in the middle of a request. Cleared by passing false.
void SetWaitsAbandoned(bool abandoned);
bool WaitsAbandoned();

}  // namespace platform
