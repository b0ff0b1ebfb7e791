#pragma once
// The program's own windows (platform/xdg/local_windows.h), under the name
// the X11 window system has always used for them.

#include "platform/xdg/local_windows.h"

namespace kivo::x11 {
using xdg::LocalWindows;
}  // namespace kivo::x11
