// The regular-expression engine object ("VBScript.RegExp"), on PCRE2 (16-bit, no UTF).
#pragma once

#include "platform/variant.h"

namespace platform {

// A new engine object.
ObjectRef NewRegExpEngine();

}  // namespace platform
