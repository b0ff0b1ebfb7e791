#pragma once
// The program over the Win32 toolkit with the simulated window system,
// store and clock: real windows for its forms, nothing else of the desktop
// touched. And what the windows show, compared with the models.

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/program.h"
#include "platform/sim/sim_desktop.h"
#include "platform/win32/win32_toolkit.h"
#include "platform/win32/win32_windows.h"
#include "tests/contract/toolkit_contract.h"

namespace kivo::win32::test {

struct Rig : sim::SimServices {
  Win32Toolkit toolkit{GetModuleHandleW(nullptr)};
  Platform platform = platformWith(toolkit);
  Kivo app{platform};
};

// The same with the real window functions: the program's windows are found,
// shown and titled through them, as another instance or the engine does.
struct DesktopRig : sim::SimServices {
  Win32WindowSystem realWindows;
  Win32Toolkit toolkit{GetModuleHandleW(nullptr)};
  Platform platform = platformWith(toolkit, realWindows);
  Kivo app{platform};
};

// The screen's density, in dots per inch.
int screenDpi();

// What a form's windows show, in the model's terms (toolkit_contract.h).
// `layoutDpi` is the density the form's client area, controls and fonts are
// made for (0: the screen's); the form's place on the screen is always in
// the screen's.
std::optional<contract::NativeForm> readForm(Win32Toolkit& toolkit, const Form& form,
                                             int layoutDpi = 0);
// Every part in which they differ from the model, one line each; empty when
// the views are in step.
std::vector<std::string> viewDifferences(Win32Toolkit& toolkit, const Form& form,
                                         int layoutDpi = 0);

// Captions that do not fit their controls with the font they are drawn
// with, one line each ("frmSet lblEtc(3) "回": text 12x15 px, room 13x13").
std::vector<std::string> clippedCaptions(Win32Toolkit& toolkit, const Form& form,
                                         int layoutDpi = 0);

// Processes the toolkit's messages until `condition` holds; false when the
// deadline passed first.
bool pumpUntil(Win32Toolkit& toolkit, const std::function<bool()>& condition,
               std::chrono::milliseconds deadline = std::chrono::milliseconds(10000));

}  // namespace kivo::win32::test
