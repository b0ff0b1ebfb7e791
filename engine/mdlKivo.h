#pragma once
// The general module: loaders, the foreground class name, raising a window,
// the alarm file. The error reporters live in platform/errors.h and the
// template builder in clocktext/mdlKivo_template.h.

#include <cstdint>
#include <string>

#include "engine/state.h"
#include "platform/platform.h"

namespace kivo {

class Kivo;

// Window list from the store into the engine state and the window-list
// dialog's rows. No trap.
void LoadWindowList(Kivo& app);
// The three "Plug in" flags. No trap.
PlugInFlagsRecord LoadPlugIns(Kivo& app);
// Class name of the engine's hActiveWnd, at most 254 characters, or empty.
// Tag "mdlPub!GetForegroundCN".
std::string GetForegroundCN(Kivo& app);
// SetWindowPos(hWnd, insertAfter, 0, 0, 0, 0, 0x43), then SetForegroundWindow
// when flag is 1. No trap.
void ShowWindowOnTop(Platform& p, Hwnd hWnd, Hwnd hWndInsertAfter, std::int32_t flag);
// Alarm settings into the engine state. No trap.
void LoadAlarmSettings(Kivo& app);
// Plays a wave file or opens any other file. Tag "mdlPub!PlayAlarmFile".
void PlayAlarmFile(Kivo& app, const std::string& path);

}  // namespace kivo
