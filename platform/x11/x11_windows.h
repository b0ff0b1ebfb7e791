#pragma once
// The window functions on X11: other programs' top-level (client) windows
// through xcb and the window manager's EWMH protocol. The front door of the
// Linux backend's services; app/linux_desktop.h bundles them with the Qt
// toolkit.
//
// Implements: the window system of platform/platform.h (titles, classes,
//   the foreground window, moves, flashes) for the windows the window
//   manager manages (_NET_CLIENT_LIST); beside it in platform/x11: the
//   previous-instance selection, the INI store, ALSA sound, opening files,
//   the clock and the decoration journal.
// Cannot: nothing the seam's contract asks (every case of tests/contract
//   runs on it); a native Wayland window (not through XWayland) is out of
//   its reach, and windows the manager does not list are never touched.
//
// Every reply error (a window that has just gone) gives the call's
// "nothing" result. A steady desktop costs nothing: what was read is kept
// until the server says it changed. The root's active window and client
// list, and every window read (its titles and class, which come together
// in one round trip), are watched from then on; each tick first takes in,
// without waiting, the events that have arrived, and asks again only for
// what they name. Our own title write is read back once at the next read,
// so the kept title is what the window holds, not what we meant it to.

#include <xcb/xcb.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/x11/local_windows.h"
#include "platform/x11/x11_connection.h"

namespace kivo::x11 {

class X11WindowSystem : public WindowSystem {
 public:
  explicit X11WindowSystem(XConnection& x);
  ~X11WindowSystem() override;
  X11WindowSystem(const X11WindowSystem&) = delete;
  X11WindowSystem& operator=(const X11WindowSystem&) = delete;

  // Requests for windows of this process go to `local` (nullptr: none).
  void setLocalWindows(LocalWindows* local) { local_ = local; }

  // _NET_ACTIVE_WINDOW on the root when it is a managed client window (in
  // _NET_CLIENT_LIST); missing, 0, the root, this process's instance owner
  // window or an unmanaged window is no window.
  Hwnd getForegroundWindow() override;
  int getWindowTextLength(Hwnd h) override;
  std::string getWindowText(Hwnd h, int bufferChars) override;
  // WM_NAME always (STRING or COMPOUND_TEXT); _NET_WM_NAME only where the
  // window has it already.
  void setWindowText(Hwnd h, const std::string& text) override;
  // What the window hands back: the text itself where _NET_WM_NAME holds it
  // or it is Latin-1, else its trip through COMPOUND_TEXT.
  std::string roundTrip(Hwnd h, const std::string& text) override;
  // The class (second) string of WM_CLASS.
  int getClassName(Hwnd h, std::string& out, int bufferChars) override;
  // Walks _NET_CLIENT_LIST, this process's windows and those the running
  // instance advertises.
  Hwnd findWindow(const std::string& className, const std::string& title) override;
  void showWindow(Hwnd h, int cmd) override;
  void setWindowPos(Hwnd h, Hwnd insertAfter, int x, int y, int cx, int cy,
                    std::uint32_t flags) override;
  void setForegroundWindow(Hwnd h) override;
  // The frame's rectangle: the client's place on the root less
  // _NET_FRAME_EXTENTS.
  bool getWindowRect(Hwnd h, Rect& rect) override;
  // Toggles a highlight over the title area of the window's frame (an
  // override-redirect window); false hides it. The title is never touched.
  void flashWindow(Hwnd h, bool invert) override;

  // The highlight window flashWindow() shows, 0 before the first flash.
  xcb_window_t flashHighlight() const { return highlight_; }

 private:
  // What one batch of reads learnt about a window.
  struct WindowInfo {
    // The sequence number (low 16 bits) of the first read: a change the
    // server reports with an older number happened before the read.
    std::uint16_t readAt = 0;
    bool exists = false;
    bool hasNetWmName = false;
    std::string title;      // up to its first NUL
    std::string className;  // WM_CLASS's second string
  };
  struct Frame {
    std::int32_t x = 0, y = 0;  // the client's place on the root
    std::uint32_t width = 0, height = 0;
    std::uint32_t left = 0, right = 0, top = 0, bottom = 0;  // frame extents
  };
  struct Owner {
    xcb_window_t window = 0;  // the running instance's owner window
    std::vector<Hwnd> windows;
  };

  const WindowInfo& info(Hwnd h);
  // What the root says: the window in front and the managed windows.
  struct RootState {
    bool stale = true;         // read again at the next tick
    std::uint16_t readAt = 0;  // as WindowInfo::readAt
    Hwnd active = 0;           // _NET_ACTIVE_WINDOW
    bool vouches = false;      // the manager keeps _NET_CLIENT_LIST
    std::vector<std::uint32_t> clients;
  };

  // Whether the active window `h` may carry the clock.
  bool isManagedClient(Hwnd h) const;
  void readRoot();
  // Drops the kept reads of windows the server says changed or went.
  void absorbEvents();
  // Reads several windows' titles and classes in one round trip.
  std::vector<WindowInfo> fetchInfo(const std::vector<xcb_window_t>& windows);
  std::optional<Frame> frame(Hwnd h);
  // The running instance's owner window and its windows, asked afresh at
  // most once a tick (a shake's 44 moves ask once), or when `fresh`.
  const Owner& instanceOwner(bool fresh = false);
  // Who carries out a request for `h`: this process's toolkit, the running
  // instance (its owner window), or the window manager (0).
  enum class Route { kLocal, kInstance, kWindowManager };
  Route route(Hwnd h, xcb_window_t& owner);
  void sendInstanceRequest(xcb_window_t owner, std::uint32_t kind, Hwnd h, int cmd);
  void restack(Hwnd h, Hwnd insertAfter);
  void changeState(Hwnd h, bool add, xcb_atom_t first, xcb_atom_t second);
  void activate(Hwnd h);
  void mapAndActivate(Hwnd h);
  void flush();

  XConnection& x_;
  LocalWindows* local_ = nullptr;
  // What was read of each window, kept until the server says it changed.
  std::map<Hwnd, WindowInfo> cache_;
  RootState root_;
  std::optional<Owner> owner_;
  xcb_window_t highlight_ = 0;
  bool highlightShown_ = false;
};

}  // namespace kivo::x11
