#pragma once
// Simulated top-level windows: handle, class, title, position, foreground.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_events.h"

namespace kivo::sim {

struct SimWindow {
  std::string className;
  std::string title;
  Rect rect{100, 100, 500, 400};
  bool visible = true;
  bool topmost = false;
  int flashes = 0;
  // What the program recorded of its decoration of this window, if anything
  // (kept with the window, as a desktop keeps a window property).
  std::optional<DecorationRecord> decoration;
};

class SimWindowSystem : public WindowSystem {
 public:
  explicit SimWindowSystem(EventLog& log) : log_(log) {}

  // WindowSystem.
  Hwnd getForegroundWindow() override;
  int getWindowTextLength(Hwnd h) override;
  std::string getWindowText(Hwnd h, int bufferChars) override;
  void setWindowText(Hwnd h, const std::string& text) override;
  std::string roundTrip(Hwnd, const std::string& text) override { return text; }
  int getClassName(Hwnd h, std::string& out, int bufferChars) override;
  Hwnd findWindow(const std::string& className, const std::string& title) override;
  void showWindow(Hwnd h, int cmd) override;
  void setWindowPos(Hwnd h, Hwnd insertAfter, int x, int y, int cx, int cy,
                    std::uint32_t flags) override;
  void setForegroundWindow(Hwnd h) override;
  bool getWindowRect(Hwnd h, Rect& rect) override;
  void flashWindow(Hwnd h, bool invert) override;

  // Test-side control. Handles are chosen by the caller; 0 is never a window.
  void addWindow(Hwnd h, const std::string& className, const std::string& title);
  // The window vanishes: its handle then behaves as invalid.
  void closeWindow(Hwnd h);
  // Moves the focus without recording an event (the user clicked).
  void focus(Hwnd h) { foreground_ = h; }
  // The window changes its own title (not recorded as a program write).
  void retitle(Hwnd h, const std::string& title);
  bool exists(Hwnd h) const { return windows_.count(h) != 0; }
  const SimWindow* window(Hwnd h) const;
  SimWindow* window(Hwnd h);
  // Every window's handle, in ascending order.
  std::vector<Hwnd> handles() const;
  // A fresh handle above every handle in use.
  Hwnd newHandle() const;
  // Every title the program wrote, in order: (handle, text as received).
  const std::vector<std::pair<Hwnd, std::string>>& titleWrites() const { return titleWrites_; }
  // Every window-rectangle query, in order (kept out of the event log, whose
  // lines are a fixed format).
  const std::vector<Hwnd>& rectQueries() const { return rectQueries_; }

  // Hooks through which the simulated toolkit learns what happened to the
  // windows of the program's own forms, as a real window would tell its
  // form. Each runs after the change and its event; a hook may close windows.
  // showWindow(h, cmd), and SetWindowPos with SWP_SHOWWINDOW as SW_SHOW (5).
  std::function<void(Hwnd, int)> onShow;
  // SetWindowPos moved the window to (x, y) in pixels.
  std::function<void(Hwnd, int, int)> onMove;
  // closeWindow removed the window (the system closed it).
  std::function<void(Hwnd)> onClose;

 private:
  EventLog& log_;
  std::map<Hwnd, SimWindow> windows_;
  Hwnd foreground_ = 0;
  std::vector<std::pair<Hwnd, std::string>> titleWrites_;
  std::vector<Hwnd> rectQueries_;
};

// Decoration records kept on the simulated windows themselves: they outlive
// the program object and die with their window.
class SimDecorationJournal : public DecorationJournal {
 public:
  explicit SimDecorationJournal(SimWindowSystem& windows) : windows_(windows) {}
  void remember(Hwnd h, const std::string& written, const std::string& title) override;
  void forget(Hwnd h) override;
  std::vector<DecorationRecord> leftOver() override;

 private:
  SimWindowSystem& windows_;
};

}  // namespace kivo::sim
