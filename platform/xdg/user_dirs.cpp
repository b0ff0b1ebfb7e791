// The user's configuration directory.
#include "platform/xdg/user_dirs.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace kivo::xdg {

std::string configHome() {
  std::string base;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    std::string dir = home != nullptr && home[0] == '/' ? home : "";
    if (dir.empty()) {
      // No usable HOME: the account's home directory.
      struct passwd pw {};
      struct passwd* found = nullptr;
      char buffer[4096];
      if (::getpwuid_r(::getuid(), &pw, buffer, sizeof buffer, &found) == 0 && found != nullptr &&
          found->pw_dir != nullptr) {
        dir = found->pw_dir;
      }
    }
    base = (dir == "/" ? "" : dir) + "/.config";
  }
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  return base;
}

}  // namespace kivo::xdg
