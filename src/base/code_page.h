// Conversion between Texts (code page 936) and the UTF-16 strings of automation objects
// and of the window.
#pragma once

#include <string>

#include "base/text.h"

namespace base {

// Code page 936 to UTF-16. An invalid byte sequence becomes U+FFFD and conversion goes on.
std::u16string TextToWide(const Text& text);

// UTF-16 to code page 936. A character the code page lacks, or a lone surrogate, becomes "?".
Text WideToText(const std::u16string& wide);

// A Text naming a file, spelled as the file system spells names (UTF-8), and back. A name
// holding characters the code page lacks comes back with "?" for them.
std::string TextToFileName(const Text& text);
Text FileNameToText(const std::string& name);

}  // namespace base
