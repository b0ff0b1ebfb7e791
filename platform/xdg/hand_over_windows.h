#pragma once
// A second start's way to the running instance on a compositor that draws
// the title bars itself (sway, i3). The compositor's window system sees the
// windows on screen only, and the running instance's main window is hidden:
// a window the compositor does not know is looked for among the running
// instance's windows, and a show or raise of one of those goes to the
// instance. Everything else is the compositor's window system's.

#include <set>
#include <string>

#include "platform/platform.h"
#include "platform/xdg/local_windows.h"

namespace kivo::xdg {

class HandOverWindows : public WindowSystem {
 public:
  // Both must outlive this object. `instance` answers findWindow for the
  // running instance's windows and carries out requests for them.
  HandOverWindows(WindowSystem& desktop, WindowSystem& instance)
      : desktop_(desktop), instance_(instance) {}

  Hwnd getForegroundWindow() override { return desktop_.getForegroundWindow(); }
  int getWindowTextLength(Hwnd h) override { return desktop_.getWindowTextLength(h); }
  std::string getWindowText(Hwnd h, int bufferChars) override {
    return desktop_.getWindowText(h, bufferChars);
  }
  void setWindowText(Hwnd h, const std::string& text) override { desktop_.setWindowText(h, text); }
  std::string roundTrip(Hwnd h, const std::string& text) override {
    return desktop_.roundTrip(h, text);
  }
  int getClassName(Hwnd h, std::string& out, int bufferChars) override {
    return desktop_.getClassName(h, out, bufferChars);
  }
  Hwnd findWindow(const std::string& className, const std::string& title) override;
  void showWindow(Hwnd h, int cmd) override { route(h).showWindow(h, cmd); }
  void setWindowPos(Hwnd h, Hwnd insertAfter, int x, int y, int cx, int cy,
                    std::uint32_t flags) override {
    route(h).setWindowPos(h, insertAfter, x, y, cx, cy, flags);
  }
  void setForegroundWindow(Hwnd h) override { route(h).setForegroundWindow(h); }
  bool getWindowRect(Hwnd h, Rect& rect) override { return desktop_.getWindowRect(h, rect); }
  void flashWindow(Hwnd h, bool invert) override { desktop_.flashWindow(h, invert); }

 private:
  WindowSystem& route(Hwnd h) { return instanceWindows_.count(h) ? instance_ : desktop_; }

  WindowSystem& desktop_;
  WindowSystem& instance_;
  // What findWindow found among the running instance's windows.
  std::set<Hwnd> instanceWindows_;
};

// The running instance's windows as its instance socket tells them
// (SocketProgramInfo::runningInstance()): found by title, shown and raised
// through it. It knows nothing else: every other call is "no window".
class InstanceSocketWindows : public WindowSystem {
 public:
  explicit InstanceSocketWindows(LocalWindows& running) : running_(running) {}

  Hwnd getForegroundWindow() override { return 0; }
  int getWindowTextLength(Hwnd) override { return 0; }
  std::string getWindowText(Hwnd, int) override { return {}; }
  void setWindowText(Hwnd, const std::string&) override {}
  std::string roundTrip(Hwnd, const std::string& text) override { return text; }
  int getClassName(Hwnd, std::string& out, int) override {
    out.clear();
    return 0;
  }
  // The instance's windows carry the program's own class: the title
  // decides.
  Hwnd findWindow(const std::string& className, const std::string& title) override;
  void showWindow(Hwnd h, int cmd) override;
  void setWindowPos(Hwnd h, Hwnd, int, int, int, int, std::uint32_t flags) override;
  void setForegroundWindow(Hwnd h) override;
  bool getWindowRect(Hwnd, Rect&) override { return false; }
  void flashWindow(Hwnd, bool) override {}

 private:
  LocalWindows& running_;
};

}  // namespace kivo::xdg
