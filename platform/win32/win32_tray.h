#pragma once
// Implements: the tray icon of platform/platform.h on Windows, in the
//   taskbar's notification area (Shell_NotifyIconW, version 4, with a fixed
//   GUID): the clock as its tooltip, the menu on a right-click, the window
//   on a double-click. It comes back when Explorer restarts (the
//   "TaskbarCreated" broadcast) and is retried every two seconds while the
//   taskbar refuses it (at log-in the taskbar may not be up yet).
// Cannot: tell a hidden notification area from one that shows the icon.

#include <windows.h>

#include <string>

#include "platform/platform.h"

namespace kivo::win32 {

class Win32TrayIcon : public TrayIcon {
 public:
  explicit Win32TrayIcon(HINSTANCE instance);
  ~Win32TrayIcon() override;
  Win32TrayIcon(const Win32TrayIcon&) = delete;
  Win32TrayIcon& operator=(const Win32TrayIcon&) = delete;

  bool show(const std::string& tooltip) override;
  void hide() override;

  // The hidden window that hears from the taskbar (for tests).
  HWND window() const { return window_; }

 private:
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT msg, WPARAM wParam, LPARAM lParam);
  bool notify(DWORD message);
  bool add();
  void openMenu();

  HINSTANCE instance_;
  HWND window_ = nullptr;
  HICON icon_ = nullptr;
  bool ownIcon_ = false;
  std::wstring tooltip_;
  bool wanted_ = false;  // the program shows the icon
  bool added_ = false;   // the taskbar has it now
  bool useGuid_ = true;
  UINT taskbarCreated_ = 0;
};

}  // namespace kivo::win32
