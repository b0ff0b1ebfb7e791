// The previous-instance selection, the advertised windows and the second start's requests.
#include "platform/x11/x11_instance.h"

#include <cstdlib>
#include <vector>

#include "platform/xdg/desktop_preferences.h"

namespace kivo::x11 {

X11ProgramInfo::X11ProgramInfo(XConnection& x) : x_(x) {
  xcb_connection_t* c = x_.eventXcb();
  owner_ = xcb_generate_id(c);
  const std::uint32_t values[] = {1, XCB_EVENT_MASK_PROPERTY_CHANGE};
  // Input-only and never mapped: it exists to own the selection and to
  // carry the list of windows.
  xcb_create_window(c, XCB_COPY_FROM_PARENT, owner_, x_.root(), -100, -100, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                    XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
  const char name[] = "Kivo instance";
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, owner_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                      sizeof name - 1, name);
  handlerId_ = x_.addEventHandler([this](const xcb_generic_event_t& e) { handle(e); });
  x_.setInstanceOwner(owner_);
  takeSelection();
}

void X11ProgramInfo::takeSelection() {
  xcb_connection_t* c = x_.eventXcb();
  const xcb_atom_t selection = x_.atoms().instanceSelection;
  auto ownerNow = [&] {
    xcb_get_selection_owner_reply_t* r =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr);
    const xcb_window_t w = r ? r->owner : XCB_NONE;
    std::free(r);
    return w;
  };
  // ICCCM: a selection is taken with a real timestamp, never CurrentTime.
  acquired_ = x_.serverTime(owner_);
  // Two starts at the same moment (an autostart entry and a window
  // manager's autostart line) must not both find the selection free and
  // then both take it, the later one silently taking it from the earlier.
  // With the server grabbed, the question and the taking are one step no
  // other client can come between; the grab lasts two round trips.
  xcb_grab_server(c);
  if (ownerNow() == XCB_NONE) {
    xcb_set_selection_owner(c, owner_, selection, acquired_);
    // The server ignores a take whose time is older than the selection's
    // last change: only its answer tells who holds it now.
    owning_ = ownerNow() == owner_;
  }
  xcb_ungrab_server(c);
  xcb_flush(c);
  previous_ = !owning_;
}

std::string X11ProgramInfo::userLanguage() const { return xdg::languageFromEnvironment(); }

bool X11ProgramInfo::startsAtLogin() const { return xdg::startsAtLogin(); }

bool X11ProgramInfo::setStartAtLogin(bool on) { return xdg::setStartAtLogin(on); }

X11ProgramInfo::~X11ProgramInfo() {
  x_.removeEventHandler(handlerId_);
  x_.setInstanceOwner(XCB_NONE);
  // The selection goes with the window.
  xcb_destroy_window(x_.eventXcb(), owner_);
  xcb_flush(x_.eventXcb());
}

void X11ProgramInfo::setLocalWindows(LocalWindows* local) {
  local_ = local;
  advertise();
}

void X11ProgramInfo::advertise() {
  // A second start advertises nothing: find window must lead to the
  // running instance only.
  if (!owning_) return;
  std::vector<std::uint32_t> windows;
  if (local_ != nullptr) {
    for (const Hwnd h : local_->ownWindows()) windows.push_back(h);
  }
  xcb_change_property(x_.eventXcb(), XCB_PROP_MODE_REPLACE, owner_, x_.atoms()._KIVO_WINDOWS,
                      XCB_ATOM_WINDOW, 32, static_cast<std::uint32_t>(windows.size()),
                      windows.data());
  xcb_flush(x_.eventXcb());
}

void X11ProgramInfo::handle(const xcb_generic_event_t& event) {
  switch (event.response_type & 0x7f) {
    case XCB_CLIENT_MESSAGE: {
      const auto& m = reinterpret_cast<const xcb_client_message_event_t&>(event);
      if (m.window != owner_ || m.type != x_.atoms()._KIVO_REQUEST || m.format != 32) return;
      const std::uint32_t kind = m.data.data32[0];
      const Hwnd h = m.data.data32[1];
      // Only windows of this process, whoever asks.
      if (local_ == nullptr || h == 0 || !local_->ownsWindow(h)) return;
      if (kind == kRequestShow) {
        local_->showOwnWindow(h, static_cast<int>(m.data.data32[2]));
      } else if (kind == kRequestRaise) {
        local_->raiseOwnWindow(h);
      }
      return;
    }
    case XCB_SELECTION_CLEAR: {
      const auto& clear = reinterpret_cast<const xcb_selection_clear_event_t&>(event);
      if (clear.owner != owner_ || clear.selection != x_.atoms().instanceSelection) return;
      // Another client took the selection: it is the instance now, and a
      // second start must not be led to our windows. Two clocks must never
      // run on one desktop, so this one hands over and ends.
      const bool wasOwning = owning_;
      owning_ = false;
      xcb_delete_property(x_.eventXcb(), owner_, x_.atoms()._KIVO_WINDOWS);
      xcb_flush(x_.eventXcb());
      if (wasOwning && onSelectionLost) onSelectionLost();
      return;
    }
    case XCB_SELECTION_REQUEST:
      answerSelectionRequest(reinterpret_cast<const xcb_selection_request_event_t&>(event));
      return;
    default: return;
  }
}

void X11ProgramInfo::answerSelectionRequest(const xcb_selection_request_event_t& request) {
  xcb_connection_t* c = x_.eventXcb();
  const Atoms& a = x_.atoms();
  xcb_selection_notify_event_t notify{};
  notify.response_type = XCB_SELECTION_NOTIFY;
  notify.time = request.time;
  notify.requestor = request.requestor;
  notify.selection = request.selection;
  notify.target = request.target;
  notify.property = XCB_NONE;  // refused, unless answered below
  // The selection carries no data; it answers only what ICCCM asks every
  // owner to: its targets and the time it was taken.
  const xcb_atom_t property = request.property != XCB_NONE ? request.property : request.target;
  if (owning_ && request.selection == a.instanceSelection) {
    if (request.target == a.TARGETS) {
      const xcb_atom_t targets[] = {a.TARGETS, a.TIMESTAMP};
      xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_ATOM, 32,
                          2, targets);
      notify.property = property;
    } else if (request.target == a.TIMESTAMP) {
      xcb_change_property(c, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_INTEGER,
                          32, 1, &acquired_);
      notify.property = property;
    }
  }
  xcb_send_event(c, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                 reinterpret_cast<const char*>(&notify));
  xcb_flush(c);
}

}  // namespace kivo::x11
