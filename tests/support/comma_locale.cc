#include "support/comma_locale.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace support {

ScopedCommaLocale::ScopedCommaLocale() {
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr) {
    active_ = true;
  } else {
    char folder[] = "/tmp/velkaro-locale-XXXXXX";
    if (mkdtemp(folder) == nullptr) return;
    folder_ = folder;
    const std::string command =
        "localedef -i de_DE -f ISO-8859-1 '" + folder_ + "/de_DE' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return;
    setenv("LOCPATH", folder_.c_str(), 1);
    active_ = std::setlocale(LC_NUMERIC, "de_DE") != nullptr;
    unsetenv("LOCPATH");
  }
  char printed[16];
  std::snprintf(printed, sizeof printed, "%.1f", 1.5);
  active_ = active_ && std::string(printed) == "1,5";
}

ScopedCommaLocale::~ScopedCommaLocale() {
  std::setlocale(LC_NUMERIC, "C");
  if (!folder_.empty()) std::filesystem::remove_all(folder_);
}

}  // namespace support
