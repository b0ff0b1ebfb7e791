#pragma once
// The user's configuration directory (platform/xdg/user_dirs.h), under the
// X11 backend's name.

#include "platform/xdg/user_dirs.h"

namespace kivo::x11 {
using xdg::configHome;
}  // namespace kivo::x11
