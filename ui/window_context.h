#pragma once
// What the program's windows work with: the desktop services they use, the
// store (with the values it refused held, settings/held_store.h), the
// settings the program runs with, and where errors are told.

#include "platform/errors.h"
#include "platform/platform.h"
#include "settings/held_store.h"
#include "settings/running_settings.h"
#include "ui/translation.h"

namespace kivo {

struct WindowContext {
  Toolkit& toolkit;
  WindowSystem& windows;
  FileDialog& fileDialog;
  ProgramInfo& program;
  HeldSettingsStore& store;
  RunningSettings& settings;
  ErrorReporter& errors;
  const Translation& texts = kJapaneseTexts;
};

// Puts `window` on top (behind `insertAfter`) and shows it, without moving
// or sizing it; brings it to the front as well when `activate` is set.
void raiseWindow(WindowSystem& windows, Hwnd window, Hwnd insertAfter, bool activate);

}  // namespace kivo
