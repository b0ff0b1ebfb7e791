#pragma once
// What a Linux desktop tells of the user's preferences, whatever draws the
// windows: the language of the messages, and start at login.

#include <string>

namespace kivo::xdg {

// The language of the user's messages, as the environment names it:
// LANGUAGE's first entry, else LC_ALL, LC_MESSAGES, LANG; "" for none.
std::string languageFromEnvironment();
// The user's autostart entry (autostart.h), starting this program file.
bool startsAtLogin();
bool setStartAtLogin(bool on);

}  // namespace kivo::xdg
