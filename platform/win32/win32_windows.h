#pragma once
// The window functions on Win32: other programs' top-level windows through
// the wide-character user32 calls.
//
// Nothing here may hang on a program that has stopped answering messages:
// titles are read from what the window manager keeps (InternalGetWindowText
// sends no message), titles are written with a short timeout, and moves of
// another thread's window are posted. Titles and class names cross the seam
// losslessly (UTF-16 both ways), so roundTrip is the identity.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kivo::win32 {

// How long a title write waits for a window that is busy but not yet
// considered hung; a hung one is given up at once.
inline constexpr UINT kSetTextTimeoutMs = 150;

class Win32WindowSystem : public WindowSystem {
 public:
  Hwnd getForegroundWindow() override;
  // The length in characters of the title the window manager keeps.
  int getWindowTextLength(Hwnd h) override;
  std::string getWindowText(Hwnd h, int bufferChars) override;
  // WM_SETTEXT through SendMessageTimeoutW; returns within
  // kSetTextTimeoutMs even when the window's thread does not answer.
  void setWindowText(Hwnd h, const std::string& text) override;
  std::string roundTrip(Hwnd, const std::string& text) override { return text; }
  int getClassName(Hwnd h, std::string& out, int bufferChars) override;
  Hwnd findWindow(const std::string& className, const std::string& title) override;
  void showWindow(Hwnd h, int cmd) override;
  // Another thread's window is moved asynchronously (SWP_ASYNCWINDOWPOS).
  void setWindowPos(Hwnd h, Hwnd insertAfter, int x, int y, int cx, int cy,
                    std::uint32_t flags) override;
  void setForegroundWindow(Hwnd h) override;
  bool getWindowRect(Hwnd h, Rect& rect) override;
  void flashWindow(Hwnd h, bool invert) override;

 private:
  // Titles whose write to a window of another thread of this process timed
  // out. Such a window receives the text by pointer, not by copy, and may
  // still be reading it after we gave up, so the text must outlive the call.
  std::vector<std::unique_ptr<std::wstring>> abandonedTitles_;
};

}  // namespace kivo::win32
