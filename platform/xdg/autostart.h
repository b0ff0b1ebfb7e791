#pragma once
// Start at login on a Linux desktop: the user's autostart entry
// ($XDG_CONFIG_HOME/autostart/kivo.desktop, the XDG autostart rule every
// desktop follows).

#include <string>

namespace kivo::xdg {

// Where the entry lives for this user.
std::string autostartEntryPath();

// Whether the entry at `path` starts the program: it exists and neither
// hides itself (Hidden=true) nor is switched off by the desktop's own
// settings (X-GNOME-Autostart-enabled=false).
bool autostartEnabled(const std::string& path);

// Writes the entry starting `program` (on), or deletes it (off). False when
// the file could not be written or deleted; a missing entry is off already.
bool setAutostart(const std::string& path, bool on, const std::string& program);

}  // namespace kivo::xdg
