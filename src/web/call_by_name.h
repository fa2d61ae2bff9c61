// Calls on automation objects by member name. A call that cannot be made (no object, no
// type information, an unknown name, too many arguments, a failed conversion, an error
// status) shows nothing and raises nothing: it yields the empty value of its result type,
// and a property write yields false.
#pragma once

#include <vector>

#include "base/text.h"
#include "platform/dispatch.h"

namespace web {

using platform::ObjectRef;
using platform::Variant;

// Property read: tries property-get, then method. Empty variant on failure.
Variant GetProperty(const ObjectRef& object, const base::Text& name,
                    std::vector<Variant> arguments = {});

// Property write: tries property-put, property-put-by-reference, then method.
bool PutProperty(const ObjectRef& object, const base::Text& name, Variant value);

// Method call: tries method, property-get, property-put, then property-put-by-reference.
// Empty variant on failure.
Variant CallMethod(const ObjectRef& object, const base::Text& name,
                   std::vector<Variant> arguments = {});

// Results in the type a caller wants; each gives the empty value of that type when the
// variant cannot be converted.
base::Text VariantToText(const Variant& value);    // code page 936
double VariantToReal(const Variant& value);
bool VariantToBool(const Variant& value);
ObjectRef VariantToObject(const Variant& value);
base::ByteBuffer VariantToBytes(const Variant& value);  // a byte array only

// A Text as an automation string.
Variant TextToVariant(const base::Text& text);

}  // namespace web
