// UTF-8, the file system's and the network's spelling of text, to and from UTF-16.
#pragma once

#include <optional>
#include <string>

namespace base {

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string WideToUtf8(const std::u16string& wide);

// UTF-8 to UTF-16; nothing when `bytes` is not valid UTF-8.
std::optional<std::u16string> Utf8ToWide(const std::string& bytes);

}  // namespace base
