// The regular-expression engine object ("VBScript.RegExp"), on PCRE2 (16-bit, no UTF).
#pragma once

#include "platform/variant.h"

namespace platform {

// A new engine object. Properties "IgnoreCase", "Multiline", "Global" (booleans, false at
// first) and "Pattern" (a string, "" at first); methods "Execute"(subject) giving a match
// collection, also when nothing matched, and "Replace"(subject, replacement) giving a
// string. Both fail with Status::exception when the pattern does not compile or a match
// limit is hit. There is no "Singleline": "." never matches a line break.
ObjectRef NewRegExpEngine();

}  // namespace platform
