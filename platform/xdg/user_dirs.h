#pragma once
// Where the user's configuration lives on a Linux desktop.

#include <string>

namespace kivo::xdg {

// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config (HOME, or
// the account's home directory without a usable HOME); no trailing slash.
std::string configHome();

}  // namespace kivo::xdg
