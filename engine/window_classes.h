#pragma once
// Which windows get no clock: the classes on the user's window list, and
// every dialog box while a spell-check dialog is open anywhere.

#include <string>

#include "platform/platform.h"
#include "settings/running_settings.h"

namespace kivo {

// The class name of `window`, or empty.
std::string classNameOf(WindowSystem& windows, Hwnd window);

// Is `className` one of the list's entries in use (compared exactly)?
bool isListed(const WindowList& list, const std::string& className);

// Is `className` the dialog class while a spell-check dialog is open?
bool isDialogDuringSpellCheck(WindowSystem& windows, const std::string& className);

}  // namespace kivo
