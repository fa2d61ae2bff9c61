// Automation values: what goes into and comes out of calls on automation objects.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "base/text.h"

namespace platform {

class DispatchObject;

// A counted reference to an automation object; resetting it is the release.
using ObjectRef = std::shared_ptr<DispatchObject>;

// Empty, boolean, 32-bit integer, 64-bit real, UTF-16 string, byte array or object.
using Variant = std::variant<std::monostate, bool, std::int32_t, double, std::u16string,
                             base::ByteBuffer, ObjectRef>;

inline bool IsEmpty(const Variant& value) { return std::holds_alternative<std::monostate>(value); }

// Conversions between variant types, as automation does them. Each gives nothing when the
// value cannot be converted. Booleans are 0 and -1 as numbers and "0" and "-1" as strings;
// a real becomes an integer by rounding half to even and must fit 32 bits; strings convert
// to numbers when they hold one (surrounding blanks allowed) and to booleans from
// "true"/"false" (any case) or a number.
std::optional<bool> ConvertToBool(const Variant& value);
std::optional<std::int32_t> ConvertToInt(const Variant& value);
std::optional<double> ConvertToReal(const Variant& value);
std::optional<std::u16string> ConvertToString(const Variant& value);

}  // namespace platform
