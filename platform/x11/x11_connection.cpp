// The X display connections, the atoms and the dispatch of the owner window's events.
#include "platform/x11/x11_connection.h"

#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace kivo::x11 {

namespace {

xcb_screen_t* screenOf(xcb_connection_t* c, int number) {
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
  for (int i = 0; it.rem > 0; ++i, xcb_screen_next(&it)) {
    if (i == number) return it.data;
  }
  return nullptr;
}

}  // namespace

std::unique_ptr<XConnection> XConnection::open(const char* displayName, std::string& error) {
  const char* shown = displayName ? displayName : std::getenv("DISPLAY");
  const std::string name = shown && *shown ? shown : "(none: DISPLAY is not set)";
  std::unique_ptr<XConnection> x(new XConnection);
  x->displayName_ = shown ? shown : "";

  x->display_ = XOpenDisplay(displayName);
  if (x->display_ == nullptr) {
    error = "cannot open the X display " + name;
    return nullptr;
  }
  // Replies and events of this connection are xcb's business; Xlib only
  // converts text.
  XSetEventQueueOwner(x->display_, XCBOwnsEventQueue);
  x->xcb_ = XGetXCBConnection(x->display_);
  x->screenNumber_ = DefaultScreen(x->display_);
  x->screen_ = screenOf(x->xcb_, x->screenNumber_);

  int eventScreen = 0;
  x->events_ = xcb_connect(displayName, &eventScreen);
  if (x->screen_ == nullptr || xcb_connection_has_error(x->events_)) {
    error = "cannot open a second connection to the X display " + name;
    return nullptr;
  }
  x->root_ = x->screen_->root;

  // Every atom in one round trip.
  Atoms& a = x->atoms_;
  const std::string selection = "KIVO_S" + std::to_string(x->screenNumber_);
  const std::pair<xcb_atom_t*, const char*> wanted[] = {
      {&a.UTF8_STRING, "UTF8_STRING"},
      {&a.COMPOUND_TEXT, "COMPOUND_TEXT"},
      {&a.WM_CHANGE_STATE, "WM_CHANGE_STATE"},
      {&a.WM_STATE, "WM_STATE"},
      {&a._NET_WM_NAME, "_NET_WM_NAME"},
      {&a._NET_ACTIVE_WINDOW, "_NET_ACTIVE_WINDOW"},
      {&a._NET_CLIENT_LIST, "_NET_CLIENT_LIST"},
      {&a._NET_FRAME_EXTENTS, "_NET_FRAME_EXTENTS"},
      {&a._NET_WM_STATE, "_NET_WM_STATE"},
      {&a._NET_WM_STATE_ABOVE, "_NET_WM_STATE_ABOVE"},
      {&a._NET_WM_STATE_MAXIMIZED_VERT, "_NET_WM_STATE_MAXIMIZED_VERT"},
      {&a._NET_WM_STATE_MAXIMIZED_HORZ, "_NET_WM_STATE_MAXIMIZED_HORZ"},
      {&a.TARGETS, "TARGETS"},
      {&a.TIMESTAMP, "TIMESTAMP"},
      {&a.instanceSelection, selection.c_str()},
      {&a._KIVO_WINDOWS, "_KIVO_WINDOWS"},
      {&a._KIVO_REQUEST, "_KIVO_REQUEST"},
  };
  std::vector<xcb_intern_atom_cookie_t> cookies;
  for (const auto& [atom, atomName] : wanted) {
    cookies.push_back(
        xcb_intern_atom(x->xcb_, 0, static_cast<std::uint16_t>(std::strlen(atomName)), atomName));
  }
  xcb_intern_atom_cookie_t* ewmhCookies = xcb_ewmh_init_atoms(x->xcb_, &x->ewmh_);
  x->countRoundTrip();
  for (std::size_t i = 0; i < cookies.size(); ++i) {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(x->xcb_, cookies[i], nullptr);
    if (r != nullptr) *wanted[i].first = r->atom;
    std::free(r);
  }
  x->ewmhReady_ = xcb_ewmh_init_atoms_replies(&x->ewmh_, ewmhCookies, nullptr) != 0;
  if (!x->ewmhReady_ || a._NET_WM_NAME == 0 || a.instanceSelection == 0) {
    error = "the X display " + name + " does not answer";
    return nullptr;
  }
  return x;
}

XConnection::~XConnection() {
  for (xcb_generic_event_t* e : held_) std::free(e);
  if (ewmhReady_) xcb_ewmh_connection_wipe(&ewmh_);
  if (events_ != nullptr) xcb_disconnect(events_);
  if (display_ != nullptr) XCloseDisplay(display_);
}

int XConnection::fd() { return xcb_get_file_descriptor(events_); }

int XConnection::addEventHandler(EventHandler handler) {
  handlers_.emplace_back(nextHandlerId_, std::move(handler));
  return nextHandlerId_++;
}

void XConnection::removeEventHandler(int id) {
  std::erase_if(handlers_, [id](const auto& h) { return h.first == id; });
}

void XConnection::deliver(xcb_generic_event_t* event) {
  // A handler may add or remove handlers: walk a copy.
  const auto handlers = handlers_;
  for (const auto& [id, handler] : handlers) handler(*event);
  std::free(event);
}

void XConnection::dispatch() {
  auto held = std::move(held_);
  held_.clear();
  for (xcb_generic_event_t* e : held) deliver(e);
  while (xcb_generic_event_t* e = xcb_poll_for_event(events_)) deliver(e);
  xcb_flush(events_);
  // A server that has gone leaves the descriptor readable for good: this
  // is where that is noticed first.
  checkAlive();
}

bool XConnection::checkAlive() {
  if (lost_) return false;
  if (!xcb_connection_has_error(events_) && !xcb_connection_has_error(xcb_)) return true;
  lost_ = true;
  if (onLost) onLost();
  return false;
}

xcb_timestamp_t XConnection::serverTime(xcb_window_t window) {
  // Appending nothing to a property changes nothing but still tells us the
  // server's time in the PropertyNotify it causes.
  xcb_change_property(events_, XCB_PROP_MODE_APPEND, window, atoms_._KIVO_WINDOWS, XCB_ATOM_WINDOW,
                      32, 0, nullptr);
  xcb_flush(events_);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  for (;;) {
    while (xcb_generic_event_t* e = xcb_poll_for_event(events_)) {
      if ((e->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
        const auto* p = reinterpret_cast<xcb_property_notify_event_t*>(e);
        if (p->window == window && p->atom == atoms_._KIVO_WINDOWS) {
          const xcb_timestamp_t time = p->time;
          std::free(e);
          return time;
        }
      }
      held_.push_back(e);
    }
    if (xcb_connection_has_error(events_)) return XCB_CURRENT_TIME;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    if (left.count() <= 0) return XCB_CURRENT_TIME;
    pollfd p{fd(), POLLIN, 0};
    ::poll(&p, 1, static_cast<int>(left.count()));
  }
}

}  // namespace kivo::x11
