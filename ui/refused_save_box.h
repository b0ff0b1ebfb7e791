#pragma once
// The box that tells the user a save was refused by the store.

#include "platform/platform.h"
#include "settings/settings_save.h"

namespace kivo {

// Shows the box over `owner` when a write of `save` was refused; false then.
bool tellIfRefused(Toolkit& toolkit, Hwnd owner, const SettingsSave& save);

}  // namespace kivo
