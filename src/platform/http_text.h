// Texts on the wire of an HTTP request: addresses and header values as bytes.
#pragma once

#include <string>

namespace platform {

// Header bytes as UTF-16: UTF-8 when they are valid UTF-8, else one character per byte.
std::u16string FromHeaderBytes(const std::string& bytes);

// The address as sent: UTF-8 with bytes outside printable ASCII percent-encoded.
std::string EncodeAddress(const std::u16string& address);

// True when `a` and `b` are equal with ASCII letters matching either case.
bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b);

}  // namespace platform
