#pragma once
// The window functions on sway and i3, over their IPC socket: the clock
// goes into a window's `title_format`, which the compositor draws in the
// title bar it owns; the program's own title is never changed.
//
// Implements: the window system of platform/platform.h for the windows of
//   the compositor's tree. The text of a window is its title as shown: the
//   format applied to the program's own title (see title_format.h). The
//   window in front, titles, classes and floating states are kept current
//   from the compositor's events (WindowTable): a steady tick of the clock
//   (foreground, text length, text) sends no request at all.
// Cannot: move, size or restack a tiled window (the layout places it;
//   setWindowPos moves floating windows only); hide, minimize or show
//   another program's window (sway and i3 have no minimized state: showWindow
//   acts on this process's own windows only); stack a window above the
//   others (no topmost band). The flash is a thicker border for as long as
//   it is on: both compositors ignore the urgency hint of the focused window,
//   which is the only one flashed.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "platform/ipc/ipc_connection.h"
#include "platform/ipc/title_format.h"
#include "platform/ipc/window_table.h"
#include "platform/platform.h"
#include "platform/x11/local_windows.h"

namespace kivo::ipc {

class TitleFormatWindowSystem : public WindowSystem {
 public:
  // Learns which compositor answers and its title font, subscribes to the
  // window and workspace events and reads the tree; null with `error` set
  // when the compositor does not answer.
  static std::unique_ptr<TitleFormatWindowSystem> connect(IpcConnection& ipc, std::string& error);
  TitleFormatWindowSystem(IpcConnection& ipc, FormatRules rules);
  TitleFormatWindowSystem(const TitleFormatWindowSystem&) = delete;
  TitleFormatWindowSystem& operator=(const TitleFormatWindowSystem&) = delete;

  // Requests for windows of this process go to `local` (nullptr: none).
  void setLocalWindows(x11::LocalWindows* local) { local_ = local; }
  // Applies the events that have arrived; the program's event loop calls it
  // whenever the connection's fd is readable (every read calls it too).
  void dispatch();
  // Gives every window this object gave a format (and every flash) its own
  // title bar back: the program's way out calls it last.
  void restoreAll();
  // Gives back the formats an earlier run of this session left (killed or
  // crashed), as its journal records them, and drops those records.
  void giveBackLeftOver(DecorationJournal& journal);
  // The container id of window `h` while it exists.
  std::optional<std::uint64_t> containerOf(Hwnd h);
  // What the tree says of window `h`, null for no window.
  const WindowInfo* windowInfo(Hwnd h) { return windowOf(h); }

  const FormatRules& rules() const { return rules_; }
  // Requests sent so far (the steady tick's cost is the difference).
  std::uint64_t requestCount() const { return ipc_.requestCount(); }
  // Reads the whole tree again (tests; getWindowRect does it itself).
  bool refresh();
  // Over a connection made afresh to the same compositor (i3 restarted in
  // place, keeping its windows and their formats): subscribes again, reads
  // the tree and sends the formats set meanwhile; false when the compositor
  // does not answer.
  bool resume();

  Hwnd getForegroundWindow() override;
  int getWindowTextLength(Hwnd h) override;
  std::string getWindowText(Hwnd h, int bufferChars) override;
  // Writes the format that shows `text`: around `%title` when it contains
  // the program's title, `%title` alone when it is that title.
  void setWindowText(Hwnd h, const std::string& text) override;
  // The text itself: the title bar shows it as written.
  std::string roundTrip(Hwnd h, const std::string& text) override;
  // The app_id of a native Wayland window, else its X11 class.
  int getClassName(Hwnd h, std::string& out, int bufferChars) override;
  Hwnd findWindow(const std::string& className, const std::string& title) override;
  void showWindow(Hwnd h, int cmd) override;
  void setWindowPos(Hwnd h, Hwnd insertAfter, int x, int y, int cx, int cy,
                    std::uint32_t flags) override;
  void setForegroundWindow(Hwnd h) override;
  // The container with its title bar, asked afresh (a tiled window moves
  // when its neighbours come and go, without an event of its own).
  bool getWindowRect(Hwnd h, Rect& rect) override;
  void flashWindow(Hwnd h, bool invert) override;

 private:
  struct Written {
    Decoration decoration;
    std::string format;
  };
  struct Flash {
    std::string border;
    int width = 0;
  };
  const WindowInfo* windowOf(Hwnd h);
  bool runCommand(const std::string& command);
  // Sets a window's format; while the compositor does not answer, keeps it
  // for resume() (and it counts as set).
  bool applyFormat(Hwnd h, std::uint64_t conId, const std::string& format);
  std::string shownText(Hwnd h, const WindowInfo& info) const;
  void endFlash(Hwnd h);

  IpcConnection& ipc_;
  FormatRules rules_;
  WindowTable table_;
  x11::LocalWindows* local_ = nullptr;
  std::map<Hwnd, Written> written_;
  std::map<Hwnd, Flash> flashes_;
  // Formats set while the compositor did not answer.
  std::set<Hwnd> unsent_;
};

}  // namespace kivo::ipc
