#pragma once
// The program's own windows, as a window system that cannot reach them
// itself sees them. X gives a client no proper way to show or raise another
// client's hidden (withdrawn) window, and a Wayland client none to show or
// raise any window of another client, so show, position and foreground
// requests for a window of this process, or of the running instance a
// second start hands over to, end up here: the toolkit that made the window
// does it, and tells the form's model what changed.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kivo::xdg {

class LocalWindows {
 public:
  virtual ~LocalWindows() = default;
  // True when `h` is a window of this process's forms.
  virtual bool ownsWindow(Hwnd h) = 0;
  // Every window of this process's forms, shown or not (the running
  // instance advertises them for a second start's find window).
  virtual std::vector<Hwnd> ownWindows() = 0;
  // ShowWindow on an own window (kSwHide, kSwShowNormal, kSwRestore ...).
  virtual void showOwnWindow(Hwnd h, int cmd) = 0;
  // Brings an own window to the front and gives it the focus.
  virtual void raiseOwnWindow(Hwnd h) = 0;
  // The title of an own window as the program set it ("" when unknown).
  // Where no server holds the titles of hidden windows (Wayland), the
  // running instance tells them to a second start with its windows.
  virtual std::string ownWindowTitle(Hwnd) { return {}; }
};

}  // namespace kivo::xdg
