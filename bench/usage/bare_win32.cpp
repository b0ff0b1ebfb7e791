// bare_win32.exe: the floor kivo.exe is measured against under Wine
// (bench/wine-usage.sh): one top-level window and a 250 ms timer that does
// nothing, and no library beyond kernel32, user32 and the C runtime.
//
//   bare_win32.exe [SECONDS]     (default: until its window is closed)
#include <windows.h>

#include <cwchar>

namespace {

constexpr UINT_PTR kTick = 1;
constexpr UINT_PTR kEnd = 2;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_TIMER && wp == kEnd) DestroyWindow(window);
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(window, message, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = windowProc;
  wc.hInstance = instance;
  wc.lpszClassName = L"KivoBareWin32";
  if (!RegisterClassExW(&wc)) return 1;
  const HWND window =
      CreateWindowExW(0, wc.lpszClassName, L"bare_win32", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                      CW_USEDEFAULT, 300, 100, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, SW_SHOWNOACTIVATE);
  SetTimer(window, kTick, 250, nullptr);
  const int seconds = std::wcstol(commandLine, nullptr, 10);
  if (seconds > 0) SetTimer(window, kEnd, static_cast<UINT>(seconds) * 1000, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
