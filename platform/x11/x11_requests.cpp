// X11 window requests: show, move and restack, foreground, and the title-bar flash.
#include "platform/x11/x11_windows.h"

#include <algorithm>
#include <cstdlib>

#include "platform/x11/x11_instance.h"

namespace kivo::x11 {

namespace {

// Win32's insert-after value for the bottom of the Z order.
constexpr Hwnd kHwndBottom = 1;
// setWindowPos flag: keep the Z order.
constexpr std::uint32_t kSwpNoZOrder = 0x0004;
// The highlight's colour and its height where a frame has no title bar.
constexpr std::uint16_t kHighlightRed = 0xFFFF, kHighlightGreen = 0xB000, kHighlightBlue = 0;
constexpr std::uint32_t kBareHighlightHeight = 6;
// ICCCM WM_STATE values.
constexpr std::uint32_t kIconicState = 3;

// Sent to the root, where the window manager listens.
void sendToRoot(XConnection& x, xcb_window_t window, xcb_atom_t type, std::uint32_t d0,
                std::uint32_t d1 = 0) {
  xcb_client_message_event_t m{};
  m.response_type = XCB_CLIENT_MESSAGE;
  m.format = 32;
  m.window = window;
  m.type = type;
  m.data.data32[0] = d0;
  m.data.data32[1] = d1;
  xcb_send_event(x.xcb(), 0, x.root(),
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&m));
}

}  // namespace

X11WindowSystem::Route X11WindowSystem::route(Hwnd h, xcb_window_t& owner) {
  if (local_ != nullptr && local_->ownsWindow(h)) return Route::kLocal;
  const Owner& o = instanceOwner();
  if (o.window != 0 && std::find(o.windows.begin(), o.windows.end(), h) != o.windows.end()) {
    owner = o.window;
    return Route::kInstance;
  }
  return Route::kWindowManager;
}

void X11WindowSystem::sendInstanceRequest(xcb_window_t owner, std::uint32_t kind, Hwnd h, int cmd) {
  xcb_client_message_event_t m{};
  m.response_type = XCB_CLIENT_MESSAGE;
  m.format = 32;
  m.window = owner;
  m.type = x_.atoms()._KIVO_REQUEST;
  m.data.data32[0] = kind;
  m.data.data32[1] = h;
  m.data.data32[2] = static_cast<std::uint32_t>(cmd);
  // No event mask: the message goes to the client that made the window.
  xcb_send_event(x_.xcb(), 0, owner, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&m));
  flush();
}

void X11WindowSystem::activate(Hwnd h) {
  xcb_ewmh_request_change_active_window(&x_.ewmh(), x_.screenNumber(), h,
                                        XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, XCB_CURRENT_TIME, 0);
}

void X11WindowSystem::mapAndActivate(Hwnd h) {
  // Mapping a withdrawn or iconic window shows it; the activation raises
  // and focuses it (and un-minimizes it where the manager kept it iconic).
  xcb_map_window(x_.xcb(), h);
  activate(h);
}

void X11WindowSystem::changeState(Hwnd h, bool add, xcb_atom_t first, xcb_atom_t second) {
  xcb_ewmh_request_change_wm_state(&x_.ewmh(), x_.screenNumber(), h,
                                   add ? XCB_EWMH_WM_STATE_ADD : XCB_EWMH_WM_STATE_REMOVE, first,
                                   second, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
}

void X11WindowSystem::showWindow(Hwnd h, int cmd) {
  if (h == 0) return;
  xcb_window_t owner = 0;
  switch (route(h, owner)) {
    case Route::kLocal: local_->showOwnWindow(h, cmd); return;
    case Route::kInstance: sendInstanceRequest(owner, kRequestShow, h, cmd); return;
    case Route::kWindowManager: break;
  }
  const Atoms& a = x_.atoms();
  switch (cmd) {
    case kSwHide: {
      // ICCCM's withdrawal: unmap, and tell the manager with a synthetic
      // UnmapNotify.
      xcb_unmap_window(x_.xcb(), h);
      xcb_unmap_notify_event_t u{};
      u.response_type = XCB_UNMAP_NOTIFY;
      u.event = x_.root();
      u.window = h;
      xcb_send_event(x_.xcb(), 0, x_.root(),
                     XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                     reinterpret_cast<const char*>(&u));
      break;
    }
    case kSwShowMinimized:
    case kSwMinimize:
    case kSwShowMinNoActive:
    case kSwForceMinimize: sendToRoot(x_, h, a.WM_CHANGE_STATE, kIconicState); break;
    case kSwShowMaximized:
      changeState(h, true, a._NET_WM_STATE_MAXIMIZED_VERT, a._NET_WM_STATE_MAXIMIZED_HORZ);
      mapAndActivate(h);
      break;
    case kSwShowNormal:
    case kSwRestore:
      changeState(h, false, a._NET_WM_STATE_MAXIMIZED_VERT, a._NET_WM_STATE_MAXIMIZED_HORZ);
      mapAndActivate(h);
      break;
    default: mapAndActivate(h); break;
  }
  flush();
}

void X11WindowSystem::restack(Hwnd h, Hwnd insertAfter) {
  const Atoms& a = x_.atoms();
  xcb_ewmh_connection_t* e = &x_.ewmh();
  const int screen = x_.screenNumber();
  if (insertAfter == kHwndTopmost) {
    changeState(h, true, a._NET_WM_STATE_ABOVE, 0);
  } else if (insertAfter == kHwndNoTopmost) {
    // Out of the topmost band, above every other window.
    changeState(h, false, a._NET_WM_STATE_ABOVE, 0);
    xcb_ewmh_request_restack_window(e, screen, h, XCB_NONE, XCB_STACK_MODE_ABOVE);
  } else if (insertAfter == kHwndTop) {
    xcb_ewmh_request_restack_window(e, screen, h, XCB_NONE, XCB_STACK_MODE_ABOVE);
  } else if (insertAfter == kHwndBottom) {
    xcb_ewmh_request_restack_window(e, screen, h, XCB_NONE, XCB_STACK_MODE_BELOW);
  } else {
    // Right after (below) the window given.
    xcb_ewmh_request_restack_window(e, screen, h, insertAfter, XCB_STACK_MODE_BELOW);
  }
}

void X11WindowSystem::setWindowPos(Hwnd h, Hwnd insertAfter, int x, int y, int cx, int cy,
                                   std::uint32_t flags) {
  if (h == 0) return;
  if (flags & kSwpShowWindow) {
    xcb_window_t owner = 0;
    switch (route(h, owner)) {
      case Route::kLocal: local_->showOwnWindow(h, kSwShow); break;
      case Route::kInstance: sendInstanceRequest(owner, kRequestShow, h, kSwShow); break;
      case Route::kWindowManager:
        // Shows a withdrawn window; one that is shown or minimized stays
        // as it is (mapping an iconic window would restore it).
        {
          const auto state =
              xcb_get_property(x_.xcb(), 0, h, x_.atoms().WM_STATE, x_.atoms().WM_STATE, 0, 1);
          x_.countRoundTrip();
          xcb_generic_error_t* error = nullptr;
          xcb_get_property_reply_t* r = xcb_get_property_reply(x_.xcb(), state, &error);
          // No WM_STATE: withdrawn (an error: the window is gone).
          if (r != nullptr && r->type == XCB_NONE) xcb_map_window(x_.xcb(), h);
          std::free(r);
          std::free(error);
        }
        break;
    }
  }
  // The position, size and stacking of a shown window are the window
  // manager's, whoever made the window.
  if (!(flags & kSwpNoZOrder)) restack(h, insertAfter);
  if (!(flags & kSwpNoMove) || !(flags & kSwpNoSize)) {
    std::uint32_t what = XCB_EWMH_MOVERESIZE_WINDOW_X | XCB_EWMH_MOVERESIZE_WINDOW_Y;
    std::uint32_t width = 0, height = 0;
    if (flags & kSwpNoMove) what = 0;
    if (!(flags & kSwpNoSize)) {
      // Win32 sizes include the frame; X sizes the client.
      const auto f = frame(h);
      if (!f) return;
      const auto outerW = static_cast<std::int64_t>(std::max(cx, 1));
      const auto outerH = static_cast<std::int64_t>(std::max(cy, 1));
      width = static_cast<std::uint32_t>(std::max<std::int64_t>(1, outerW - f->left - f->right));
      height = static_cast<std::uint32_t>(std::max<std::int64_t>(1, outerH - f->top - f->bottom));
      what |= XCB_EWMH_MOVERESIZE_WINDOW_WIDTH | XCB_EWMH_MOVERESIZE_WINDOW_HEIGHT;
    }
    // NorthWest gravity: x and y place the frame's outer corner.
    xcb_ewmh_request_moveresize_window(
        &x_.ewmh(), x_.screenNumber(), h, XCB_GRAVITY_NORTH_WEST, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER,
        static_cast<xcb_ewmh_moveresize_window_opt_flags_t>(what), static_cast<std::uint32_t>(x),
        static_cast<std::uint32_t>(y), width, height);
  }
  flush();
}

void X11WindowSystem::setForegroundWindow(Hwnd h) {
  if (h == 0) return;
  xcb_window_t owner = 0;
  switch (route(h, owner)) {
    case Route::kLocal: local_->raiseOwnWindow(h); return;
    case Route::kInstance: sendInstanceRequest(owner, kRequestRaise, h, 0); return;
    case Route::kWindowManager:
      activate(h);
      flush();
      return;
  }
}

void X11WindowSystem::flashWindow(Hwnd h, bool invert) {
  xcb_connection_t* c = x_.xcb();
  const bool show = invert && h != 0 && !highlightShown_;
  if (!show) {
    // The second inversion of a pair, or back to the normal look.
    if (highlightShown_) xcb_unmap_window(c, highlight_);
    highlightShown_ = false;
    flush();
    return;
  }
  const auto f = frame(h);
  if (!f) return;  // no such window: nothing to flash
  if (highlight_ == 0) {
    std::uint32_t pixel = x_.screen().white_pixel;
    const auto cookie = xcb_alloc_color(c, x_.screen().default_colormap, kHighlightRed,
                                        kHighlightGreen, kHighlightBlue);
    x_.countRoundTrip();
    if (xcb_alloc_color_reply_t* r = xcb_alloc_color_reply(c, cookie, nullptr)) {
      pixel = r->pixel;
      std::free(r);
    }
    highlight_ = xcb_generate_id(c);
    // Override-redirect: the window manager neither frames nor focuses it,
    // and it takes no input (the title bar under it is only covered for a
    // tenth of a second at a time).
    const std::uint32_t values[] = {pixel, x_.screen().black_pixel, 1};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, highlight_, x_.root(), 0, 0, 1, 1, 2,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    const char name[] = "Kivo flash";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, highlight_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        sizeof name - 1, name);
  }
  // Over the frame's title area: the top extent above the client (a strip
  // of the client itself where the frame has no title bar).
  const std::int64_t left = static_cast<std::int64_t>(f->x) - f->left;
  const std::int64_t width = static_cast<std::int64_t>(f->width) + f->left + f->right;
  const std::int64_t top = f->top > 0 ? static_cast<std::int64_t>(f->y) - f->top : f->y;
  const std::int64_t height = f->top > 0 ? f->top : std::min(f->height, kBareHighlightHeight);
  const std::uint32_t border = 2;
  const std::uint32_t values[] = {
      static_cast<std::uint32_t>(static_cast<std::int32_t>(left)),
      static_cast<std::uint32_t>(static_cast<std::int32_t>(top)),
      static_cast<std::uint32_t>(std::max<std::int64_t>(1, width - 2 * border)),
      static_cast<std::uint32_t>(std::max<std::int64_t>(1, height - 2 * border)),
      XCB_STACK_MODE_ABOVE};
  xcb_configure_window(c, highlight_,
                       XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                           XCB_CONFIG_WINDOW_HEIGHT | XCB_CONFIG_WINDOW_STACK_MODE,
                       values);
  xcb_map_window(c, highlight_);
  highlightShown_ = true;
  flush();
}

}  // namespace kivo::x11
