#pragma once
// The X display as the Linux desktop's services see it: one connection for
// the window functions, one for the instance owner window's events, the
// interned atoms and the screen.
//
// The window functions wait for replies many times a tick. Events that
// arrive meanwhile would sit in xcb's queue where the toolkit's watch on
// the file descriptor never sees them, so a hand-over from a second start
// could wait for minutes. The owner window's events therefore come on a
// connection of their own, which nothing but dispatch() ever reads: its
// descriptor (fd()) turns readable exactly when there is work.

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Xlib's display, declared here so that Xlib's macros (None, Bool ...) stay
// out of every file that includes this one.
struct _XDisplay;

namespace kivo::x11 {

// The atoms the services use, interned once (atoms are the server's, valid
// on every connection to it).
struct Atoms {
  xcb_atom_t UTF8_STRING = 0, COMPOUND_TEXT = 0, WM_CHANGE_STATE = 0, WM_STATE = 0;
  xcb_atom_t _NET_WM_NAME = 0, _NET_ACTIVE_WINDOW = 0, _NET_CLIENT_LIST = 0;
  xcb_atom_t _NET_FRAME_EXTENTS = 0, _NET_WM_STATE = 0, _NET_WM_STATE_ABOVE = 0;
  xcb_atom_t _NET_WM_STATE_MAXIMIZED_VERT = 0, _NET_WM_STATE_MAXIMIZED_HORZ = 0;
  xcb_atom_t TARGETS = 0, TIMESTAMP = 0;
  // The previous-instance selection of this screen, "KIVO_S<screen>".
  xcb_atom_t instanceSelection = 0;
  // The running instance's windows, a WINDOW list on its owner window.
  xcb_atom_t _KIVO_WINDOWS = 0;
  // The client message a second start sends to the owner window.
  xcb_atom_t _KIVO_REQUEST = 0;
};

class XConnection {
 public:
  using EventHandler = std::function<void(const xcb_generic_event_t&)>;

  // nullptr, with a text for the user in `error`, when the display cannot
  // be opened (displayName nullptr: $DISPLAY).
  static std::unique_ptr<XConnection> open(const char* displayName, std::string& error);
  ~XConnection();
  XConnection(const XConnection&) = delete;
  XConnection& operator=(const XConnection&) = delete;

  // The connection of the window functions (requests and their replies).
  xcb_connection_t* xcb() { return xcb_; }
  // The connection that carries the instance owner window and its events.
  xcb_connection_t* eventXcb() { return events_; }
  // The Xlib display of xcb(), for the COMPOUND_TEXT converters only.
  _XDisplay* display() { return display_; }
  xcb_ewmh_connection_t& ewmh() { return ewmh_; }
  const Atoms& atoms() const { return atoms_; }
  int screenNumber() const { return screenNumber_; }
  xcb_screen_t& screen() { return *screen_; }
  xcb_window_t root() const { return root_; }
  // The display as named in DISPLAY (":0"), for messages.
  const std::string& displayName() const { return displayName_; }
  // This process's instance owner window (0: none), which never carries
  // the clock.
  xcb_window_t instanceOwner() const { return instanceOwner_; }
  void setInstanceOwner(xcb_window_t w) { instanceOwner_ = w; }

  // Called once when either connection has broken (the X server went
  // away); dispatch() and checkAlive() find out.
  std::function<void()> onLost;
  // False, after calling onLost the first time, when a connection broke.
  bool checkAlive();

  // The descriptor of eventXcb(), readable when dispatch() has work.
  int fd();

  // Processes every event of eventXcb() that has arrived, without waiting:
  // each goes to the handlers in the order they were added. (What arrives
  // on xcb() is the window system's: it reads it at each tick.)
  void dispatch();
  // A handler for the events of eventXcb(); the id removes it.
  int addEventHandler(EventHandler handler);
  void removeEventHandler(int id);

  // Round trips to the server made on xcb() so far: each batch of requests
  // whose replies are waited for counts once.
  std::uint64_t roundTrips() const { return roundTrips_; }
  void countRoundTrip() { ++roundTrips_; }

  // The X server's current time, learnt from a property change on `window`
  // (which selects PropertyChangeMask on eventXcb()); 0 (CurrentTime) when
  // no answer came within a few seconds. Events other than the one awaited
  // are kept for dispatch().
  xcb_timestamp_t serverTime(xcb_window_t window);

 private:
  XConnection() = default;
  void deliver(xcb_generic_event_t* event);

  _XDisplay* display_ = nullptr;
  xcb_connection_t* xcb_ = nullptr;
  xcb_connection_t* events_ = nullptr;
  xcb_ewmh_connection_t ewmh_{};
  bool ewmhReady_ = false;
  Atoms atoms_;
  int screenNumber_ = 0;
  xcb_screen_t* screen_ = nullptr;
  xcb_window_t root_ = 0;
  std::uint64_t roundTrips_ = 0;
  std::string displayName_;
  xcb_window_t instanceOwner_ = 0;
  bool lost_ = false;
  std::vector<std::pair<int, EventHandler>> handlers_;
  int nextHandlerId_ = 1;
  // Events read while serverTime() waited, not yet dispatched.
  std::vector<xcb_generic_event_t*> held_;
};

}  // namespace kivo::x11
