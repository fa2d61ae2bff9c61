// A decimal-comma numeric locale for tests that check number texts ignore the locale.
#pragma once

#include <string>

namespace support {

// Sets LC_NUMERIC to a locale that writes 1.5 as "1,5" for its lifetime, compiling one when
// none is installed; puts "C" back afterwards. Active() is false when that is impossible.
class ScopedCommaLocale {
 public:
  ScopedCommaLocale();
  ~ScopedCommaLocale();
  ScopedCommaLocale(const ScopedCommaLocale&) = delete;
  ScopedCommaLocale& operator=(const ScopedCommaLocale&) = delete;

  bool Active() const { return active_; }

 private:
  std::string folder_;
  bool active_ = false;
};

}  // namespace support
