// Qt toolkit: what the forms' windows need from the X server beyond Qt
// (WM_CLASS "kivo", kFormWindowClass; no iconic state left over from a
// hidden minimized window; the frame the window manager puts around them),
// and the program's own windows as the window system shows and raises them.
// Natively on Wayland none of that is the client's business: the
// compositor places and frames the windows (server-side decorations) and
// names them by their app_id, which Qt sets from the desktop file's name.
#include <QApplication>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/qt/qt_form_view.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/qt/qt_util.h"

namespace kivo::qt {

namespace {

// The instance part of the forms' WM_CLASS; the class part is kFormWindowClass.
constexpr const char* kWindowInstance = "kivo";

// The atoms _NET_WM_STATE and _NET_WM_STATE_HIDDEN. Interned once: the
// program has one connection to one X server.
std::pair<xcb_atom_t, xcb_atom_t> netWmStateAtoms(xcb_connection_t* c) {
  static xcb_atom_t state = XCB_ATOM_NONE, hidden = XCB_ATOM_NONE;
  if (state == XCB_ATOM_NONE || hidden == XCB_ATOM_NONE) {
    const auto ask = [c](std::string_view name) {
      return xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.data());
    };
    const auto answer = [c](xcb_intern_atom_cookie_t cookie) {
      xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(c, cookie, nullptr);
      const xcb_atom_t atom = r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
      std::free(r);
      return atom;
    };
    const xcb_intern_atom_cookie_t s = ask("_NET_WM_STATE"), h = ask("_NET_WM_STATE_HIDDEN");
    state = answer(s);
    hidden = answer(h);
  }
  return {state, hidden};
}

// One round trip. The program has one connection to one X server, so the
// callers keep the atoms it answers.
xcb_atom_t internAtom(xcb_connection_t* c, std::string_view name) {
  xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.data()), nullptr);
  const xcb_atom_t atom = r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(r);
  return atom;
}

xcb_atom_t frameExtentsAtom(xcb_connection_t* c) {
  static const xcb_atom_t extents = internAtom(c, "_NET_FRAME_EXTENTS");
  return extents;
}

// Qt's X connection; nullptr natively on Wayland, where nothing of this
// file speaks to any server.
xcb_connection_t* connection() {
  if (!onX11()) return nullptr;
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

// The hints a window minimized before it was hidden keeps: mapped with
// them, it starts iconic. They are set back to the normal state.
void clearIconicHint(xcb_connection_t* c, xcb_window_t window, xcb_get_property_cookie_t asked) {
  xcb_get_property_reply_t* h = xcb_get_property_reply(c, asked, nullptr);
  if (!h) return;
  if (h->format == 32 && xcb_get_property_value_length(h) >= 12) {
    std::vector<std::uint32_t> hints(static_cast<std::size_t>(xcb_get_property_value_length(h)) /
                                     4);
    std::memcpy(hints.data(), xcb_get_property_value(h), hints.size() * 4);
    constexpr std::uint32_t kStateHint = 2, kNormalState = 1;
    if ((hints[0] & kStateHint) && hints[2] != kNormalState) {
      hints[2] = kNormalState;
      xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS,
                          32, static_cast<std::uint32_t>(hints.size()), hints.data());
    }
  }
  std::free(h);
}

// Takes `hidden` out of the window's `state` list, if it is there.
void dropHiddenState(xcb_connection_t* c, xcb_window_t window, xcb_atom_t state, xcb_atom_t hidden,
                     xcb_get_property_cookie_t asked) {
  xcb_get_property_reply_t* r = xcb_get_property_reply(c, asked, nullptr);
  if (!r || hidden == XCB_ATOM_NONE) {
    std::free(r);
    return;
  }
  std::vector<xcb_atom_t> kept;
  const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(r));
  const int n = r->format == 32 ? xcb_get_property_value_length(r) / 4 : 0;
  for (int i = 0; i < n; ++i) {
    if (atoms[i] != hidden) kept.push_back(atoms[i]);
  }
  std::free(r);
  if (static_cast<int>(kept.size()) != n) {
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(kept.size()), kept.data());
  }
}

}  // namespace

// ---- Window properties written to the X server -------------------------------

void QtToolkit::setWindowClass(QWidget& view) {
  // Qt names the window after the program's file and application name; a
  // second start and the window list know the forms by this class, so it is
  // set before the window is first mapped (and never made again: nothing
  // changes the view's window flags after this).
  xcb_connection_t* c = connection();
  if (!c) return;
  std::string value = kWindowInstance;
  value.push_back('\0');
  value += kFormWindowClass;
  value.push_back('\0');
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(view.winId()),
                      XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                      static_cast<std::uint32_t>(value.size()), value.data());
  xcb_flush(c);
}

void QtToolkit::forgetIconicState(QWidget& view) {
  // A window hidden while minimized keeps the _NET_WM_STATE_HIDDEN the
  // window manager gave it, and a window manager that manages it anew
  // honours that: shown again, it would come back iconic. Qt sets only the
  // states it knows of, so the hidden one goes here, before the window is
  // mapped again.
  if (view.isVisible()) return;
  xcb_connection_t* c = connection();
  if (!c) return;
  const auto window = static_cast<xcb_window_t>(view.winId());
  const auto [state, hidden] = netWmStateAtoms(c);
  // Both properties asked for at once: one round trip.
  const xcb_get_property_cookie_t hintsAsked =
      xcb_get_property(c, 0, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 0, 9);
  const xcb_get_property_cookie_t stateAsked =
      xcb_get_property(c, 0, window, state, XCB_ATOM_ATOM, 0, 64);
  clearIconicHint(c, window, hintsAsked);
  dropHiddenState(c, window, state, hidden, stateAsked);
  xcb_flush(c);
}

// ---- The frame ---------------------------------------------------------------------

// Qt learns a frame from the window's moves and resizes: a window the window
// manager frames without moving its client area keeps a frameless geometry
// in Qt until it next moves. The window manager's own word is read instead.
std::optional<QPoint> QtToolkit::frameExtents(QWidget& view) {
  xcb_connection_t* c = connection();
  if (!c) return std::nullopt;
  const xcb_atom_t extents = frameExtentsAtom(c);
  if (extents == XCB_ATOM_NONE) return std::nullopt;
  xcb_get_property_reply_t* r =
      xcb_get_property_reply(c,
                             xcb_get_property(c, 0, static_cast<xcb_window_t>(view.winId()),
                                              extents, XCB_ATOM_CARDINAL, 0, 4),
                             nullptr);
  std::optional<QPoint> out;
  if (r && r->format == 32 && xcb_get_property_value_length(r) == 16) {
    std::uint32_t ltrb[4];  // left, right, top, bottom
    std::memcpy(ltrb, xcb_get_property_value(r), sizeof ltrb);
    // Window managers state an empty frame while they set a window up, and
    // for a window they let go: an empty frame tells nothing.
    if ((ltrb[0] | ltrb[2]) != 0 && ltrb[0] < 4096 && ltrb[2] < 4096)
      out = QPoint(static_cast<int>(ltrb[0]), static_cast<int>(ltrb[2]));
  }
  std::free(r);
  return out;
}

QPoint QtToolkit::clientPosition(QWidget& view) {
  // Qt's geometry already holds the place the toolkit last asked for; the
  // X server tells where the window is (a Wayland compositor tells nobody).
  xcb_connection_t* c = connection();
  const xcb_screen_t* screen = c ? xcb_setup_roots_iterator(xcb_get_setup(c)).data : nullptr;
  if (!screen) return view.geometry().topLeft();
  xcb_translate_coordinates_reply_t* r = xcb_translate_coordinates_reply(
      c, xcb_translate_coordinates(c, static_cast<xcb_window_t>(view.winId()), screen->root, 0, 0),
      nullptr);
  const QPoint at = r ? QPoint(r->dst_x, r->dst_y) : view.geometry().topLeft();
  std::free(r);
  return at;
}

bool QtToolkit::managed(QWidget& view) {
  xcb_connection_t* c = connection();
  if (!c) return view.isVisible();
  static const xcb_atom_t wmState = internAtom(c, "WM_STATE");
  xcb_get_property_reply_t* r = xcb_get_property_reply(
      c, xcb_get_property(c, 0, static_cast<xcb_window_t>(view.winId()), wmState, wmState, 0, 1),
      nullptr);
  const bool out = r && r->format == 32 && xcb_get_property_value_length(r) == 4;
  std::free(r);
  return out;
}

void QtToolkit::moveClientArea(QWidget& view, QPoint at) {
  // On Wayland Qt only keeps the place as the window's own (the compositor
  // places a window); the model then reads back the place it asked for.
  if (view.geometry().topLeft() != at) {
    view.setGeometry(QRect(at, view.size()));
    return;
  }
  // Qt takes the place as its own as soon as it is asked for, and asks for
  // nothing when the place is the same; the window manager may have put the
  // window elsewhere since (it places a window as it maps it).
  xcb_connection_t* c = connection();
  if (!c) return;
  const std::uint32_t xy[] = {static_cast<std::uint32_t>(at.x()),
                              static_cast<std::uint32_t>(at.y())};
  xcb_configure_window(c, static_cast<xcb_window_t>(view.winId()),
                       XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, xy);
  xcb_flush(c);
}

void QtToolkit::requestFrameExtents(QWidget& view) {
  xcb_connection_t* c = connection();
  if (!c) return;
  static const xcb_atom_t request = internAtom(c, "_NET_REQUEST_FRAME_EXTENTS");
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  if (request == XCB_ATOM_NONE || !screen) return;
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = static_cast<xcb_window_t>(view.winId());
  message.type = request;
  xcb_send_event(c, 0, screen->root,
                 XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                 reinterpret_cast<const char*>(&message));
  xcb_flush(c);
}

bool QtToolkit::isFrameChange(const QByteArray& type, const void* message) {
  if (type != "xcb_generic_event_t" || !message) return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
  xcb_connection_t* c = connection();
  return c &&
         reinterpret_cast<const xcb_property_notify_event_t*>(event)->atom == frameExtentsAtom(c);
}

// ---- The program's own windows -----------------------------------------------------

bool QtToolkit::ownsWindow(Hwnd h) { return h != 0 && entry(h) != nullptr; }

std::vector<Hwnd> QtToolkit::ownWindows() {
  std::vector<Hwnd> out;
  for (const auto& [form, fe] : forms_) out.push_back(form->hwnd());
  return out;
}

std::string QtToolkit::ownWindowTitle(Hwnd h) {
  const FormEntry* fe = entry(h);
  return fe ? ustr(fe->view->windowTitle()) : std::string();
}

void QtToolkit::showOwnWindow(Hwnd h, int cmd) {
  FormEntry* fe = entry(h);
  if (!fe || quit_) return;
  FormView& v = *fe->view;
  bool activate = true;
  if (cmd != kSwHide && cmd != kSwShowMinimized && cmd != kSwMinimize &&
      cmd != kSwShowMinNoActive && cmd != kSwForceMinimize) {
    forgetIconicState(v);
  }
  switch (cmd) {
    case kSwHide:
      v.hide();
      activate = false;
      break;
    case kSwShowNormal:
    case kSwRestore: v.showNormal(); break;
    case kSwShowMinimized:
    case kSwMinimize:
    case kSwShowMinNoActive:
    case kSwForceMinimize:
      v.showMinimized();
      activate = false;
      break;
    case kSwShowMaximized: v.showMaximized(); break;
    default:
      // kSwShow and the rest: shown in the state it has.
      v.show();
      break;
  }
  if (activate && !v.isMinimized()) {
    v.raise();
    v.activateWindow();
  }
  // The model follows, as it follows the window manager.
  syncNow(v);
}

void QtToolkit::raiseOwnWindow(Hwnd h) {
  FormEntry* fe = entry(h);
  if (!fe || quit_) return;
  FormView& v = *fe->view;
  if (!v.isVisible()) v.show();
  // A minimized window stays so: brought to the front it would open, and
  // the window-list dialog minimizes itself on purpose while it tails.
  if (!v.isMinimized()) {
    v.raise();
    v.activateWindow();
  }
  syncNow(v);
}

}  // namespace kivo::qt
