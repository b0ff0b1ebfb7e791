// The user's language and start at login, from the environment and the
// autostart entry.
#include "platform/xdg/desktop_preferences.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/xdg/autostart.h"

namespace kivo::xdg {

std::string languageFromEnvironment() {
  // The order gettext reads them in; LANGUAGE may list several.
  for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') continue;
    const std::string text = value;
    return text.substr(0, text.find(':'));
  }
  return {};
}

bool startsAtLogin() { return autostartEnabled(autostartEntryPath()); }

bool setStartAtLogin(bool on) {
  std::error_code error;
  const std::string program = std::filesystem::read_symlink("/proc/self/exe", error).string();
  if (on && error) return false;
  return setAutostart(autostartEntryPath(), on, program);
}

}  // namespace kivo::xdg
