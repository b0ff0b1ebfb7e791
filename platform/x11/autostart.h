#pragma once
// Start at login (platform/xdg/autostart.h), under the X11 backend's names.

#include "platform/xdg/autostart.h"

namespace kivo::x11 {
using xdg::autostartEnabled;
using xdg::autostartEntryPath;
using xdg::setAutostart;
}  // namespace kivo::x11
