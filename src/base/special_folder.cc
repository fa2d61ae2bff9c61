// The desktop and temporary-files folders.
#include <cstdlib>
#include <fstream>
#include <string>

#include "base/code_page.h"
#include "base/files.h"

namespace base {
namespace {

Text Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? Text() : Text(value);
}

Text WithSlash(Text folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

// The value of an XDG_DESKTOP_DIR line of user-dirs.dirs: "$HOME/…" or an absolute path,
// in double quotes with backslash escapes. Empty when the line holds neither.
Text ParseDesktopLine(const std::string& line, const Text& home) {
  std::size_t i = line.find_first_not_of(" \t");
  static const std::string kKey = "XDG_DESKTOP_DIR";
  if (i == std::string::npos || line.compare(i, kKey.size(), kKey) != 0) return Text();
  i = line.find_first_not_of(" \t", i + kKey.size());
  if (i == std::string::npos || line[i] != '=') return Text();
  i = line.find_first_not_of(" \t", i + 1);
  if (i == std::string::npos) return Text();
  const bool quoted = line[i] == '"';
  if (quoted) ++i;
  Text raw;
  for (; i < line.size(); ++i) {
    if (quoted && line[i] == '"') break;
    if (!quoted && (line[i] == ' ' || line[i] == '\t' || line[i] == '#')) break;
    if (line[i] == '\\' && i + 1 < line.size()) ++i;
    raw += line[i];
  }
  static const std::string kHome = "$HOME";
  if (raw.compare(0, kHome.size(), kHome) == 0 &&
      (raw.size() == kHome.size() || raw[kHome.size()] == '/')) {
    return home.empty() ? Text() : home + raw.substr(kHome.size());
  }
  return (!raw.empty() && raw[0] == '/') ? raw : Text();
}

Text DesktopFolder() {
  const Text fromEnvironment = Environment("XDG_DESKTOP_DIR");
  if (!fromEnvironment.empty()) return fromEnvironment;
  const Text home = Environment("HOME");
  Text configHome = Environment("XDG_CONFIG_HOME");
  // Relative values are to be ignored.
  if (configHome.empty() || configHome[0] != '/') {
    configHome = home.empty() ? Text() : home + "/.config";
  }
  if (!configHome.empty()) {
    std::ifstream dirs(configHome + "/user-dirs.dirs");
    std::string line;
    Text found;
    // The last assignment wins, as when the file is sourced by a shell.
    while (std::getline(dirs, line)) {
      const Text value = ParseDesktopLine(line, home);
      if (!value.empty()) found = value;
    }
    if (!found.empty()) return found;
  }
  return home.empty() ? Text() : home + "/Desktop";
}

}  // namespace

Text SpecialFolder(FolderKind kind) {
  switch (kind) {
    case FolderKind::desktop:
      return FileNameToText(WithSlash(DesktopFolder()));
    case FolderKind::temporaryFiles: {
      const Text temp = Environment("TMPDIR");
      return FileNameToText(WithSlash(temp.empty() ? Text("/tmp") : temp));
    }
  }
  return Text();
}

}  // namespace base
