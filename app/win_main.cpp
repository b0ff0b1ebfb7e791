// kivo.exe's entry point: the program on the native Win32 desktop.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "app/program.h"
#include "app/untrapped_error_for_tests.h"
#include "platform/errors.h"
#include "platform/utf16.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_toolkit.h"

namespace {

// A run-time error that no procedure traps ends the program, as it always
// has: the user is told which error it was, after the window that carries
// the clock has been given its own title back.
int endByRuntimeError(kivo::win32::Win32Desktop& desktop, kivo::Kivo& app,
                      const kivo::RuntimeError& e) {
  app.end();
  // This instance is over: a start while the box is up starts afresh.
  desktop.program.giveUp();
  // The end posted WM_QUIT, which would close the box the moment its own
  // loop reads it.
  MSG quit;
  while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  const std::string text =
      app.texts()("実行時エラー '") + std::to_string(e.number()) + "':\r\n\r\n" + e.description();
  MessageBoxW(nullptr, kivo::text::toWide(text).c_str(), L"Kivo",
              MB_OK | MB_ICONSTOP | MB_SYSTEMMODAL);
  return 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // The manifest asks for version 6 of the common controls; they only come
  // into play (themed buttons, frames and lists) once comctl32 is loaded.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  kivo::win32::Win32Desktop desktop(instance);
  kivo::Kivo app(desktop.platform);
  // Logging off or shutting down ends Kivo like its Exit button does, so the
  // window in front keeps its own title in the next session.
  desktop.toolkit.onEndSession = [&app] { app.end(); };
  try {
    app.start();
    // A second start has shown the running instance's window and ended.
    if (app.ended()) return 0;
    kivo::armUntrappedErrorForTests(app);
    return desktop.toolkit.run();
  } catch (const kivo::RuntimeError& e) {
    return endByRuntimeError(desktop, app, e);
  }
}
