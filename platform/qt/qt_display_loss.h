#pragma once
// When the X server goes away, Kivo's last words are its own: one line,
// "kivo: lost the X display :N", on stderr, and exit status 1, whichever
// connection notices first (Qt's, which would otherwise have the last
// word, or one of Kivo's own). Natively on Wayland the same holds for the
// compositor: "kivo: lost the Wayland display wayland-N".

#include <string>

namespace kivo::qt {

// From now on Qt's report of its broken X (or Wayland) connection is
// replaced by Kivo's line, and the program ends with status 1; Qt's other
// messages go where they went before. `displayName` is the X display's
// name, or waylandDisplayName() for Qt natively on Wayland.
void reportDisplayLossAsKivo(const std::string& displayName);

// The Wayland display Qt connects to: WAYLAND_DISPLAY, else "wayland-0".
std::string waylandDisplayName();

// Says Kivo's line (once, however often it is called) and ends the program
// with status 1: nothing can be given back on a display that has gone.
[[noreturn]] void endOnLostDisplay(const std::string& displayName);
// The same for the Wayland compositor (its IPC socket may say so first).
[[noreturn]] void endOnLostWaylandDisplay(const std::string& displayName);

}  // namespace kivo::qt
