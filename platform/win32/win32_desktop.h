#pragma once
// The whole Win32 platform: every service on one object, and the Platform
// bundle the program receives. One per process, made on the thread that
// runs the program's windows.
//
// Implements: every service of platform/platform.h on Windows 10 and 11
//   (and Wine): windows through user32, the settings in the registry,
//   sounds through winmm, opening files through shell32, the forms as
//   native windows, the previous instance by a named mutex, and the journal
//   of decorated titles.
// Cannot: nothing the seam's contract asks (every case of tests/contract
//   runs on it).

#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/win32_journal.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_store.h"
#include "platform/win32/win32_toolkit.h"
#include "platform/win32/win32_windows.h"

namespace kivo::win32 {

struct Win32Desktop {
  // `instance` is the program's module (WinMain's first argument).
  explicit Win32Desktop(HINSTANCE hInstance) : instance(hInstance) {}
  Win32Desktop(const Win32Desktop&) = delete;
  Win32Desktop& operator=(const Win32Desktop&) = delete;

  HINSTANCE instance;
  // First, so the previous-instance test is decided before this instance
  // makes a window of its own.
  Win32ProgramInfo program{kApplicationName};
  Win32WindowSystem windows;
  Win32Sound sound;
  Win32Shell shell;
  Win32FileDialog fileDialog;
  Win32Toolkit toolkit{instance};
  RegistryStore store{kApplicationName};
  Win32Clock clock;
  // Beside the settings, in a key of its own: a run that is killed leaves
  // the next one the titles it could not give back.
  RegistryDecorationJournal journal{kApplicationName};
  Platform platform{windows, sound, shell, fileDialog, toolkit, store, clock, program, journal};
};

}  // namespace kivo::win32
