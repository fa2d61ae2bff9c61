// Cutting a text out from between a prefix and a delimiter.
#pragma once

#include "base/text.h"

namespace collect {

// The part of `text` between the first `prefix` and the first `delimiter` after it, by
// exact byte comparison. Empty when the prefix is missing, when no delimiter follows it,
// or when the delimiter follows it at once.
base::Text TextBetween(const base::Text& text, const base::Text& prefix,
                       const base::Text& delimiter);

}  // namespace collect
