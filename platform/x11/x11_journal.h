#pragma once
// The decoration journal on X11: each record is a property of the decorated
// window itself (_KIVO_DECORATION, UTF8_STRING: the title as written, a NUL,
// the window's own title). The X server keeps it exactly as long as the
// window, so it outlives a killed program and dies with its window, and a
// reused window id never inherits it.
//
// Writing and dropping a record are one request each, never waited for: a
// tick that decorates a window costs no extra round trip. Reading every
// record (once, at start-up) costs two.

#include <xcb/xcb.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/x11/x11_connection.h"

namespace kivo::x11 {

class X11DecorationJournal : public DecorationJournal {
 public:
  // Asks for the property's atom at once; its answer is taken on first use.
  explicit X11DecorationJournal(XConnection& x);

  void remember(Hwnd h, const std::string& written, const std::string& title) override;
  void forget(Hwnd h) override;
  // The records on the managed windows (_NET_CLIENT_LIST) and on the
  // root's children (windows no manager holds, such as withdrawn ones).
  // A value that is not a record this journal writes is passed over.
  std::vector<DecorationRecord> leftOver() override;

 private:
  // The property's atom, 0 when the server never gave one. The first call
  // waits for the answer: a round trip of its own unless `ownTrip` is false
  // (the caller waits for other replies with it).
  xcb_atom_t atom(bool ownTrip = true);

  XConnection& x_;
  xcb_intern_atom_cookie_t atomCookie_{};
  bool atomAsked_ = false;
  xcb_atom_t atom_ = 0;
};

}  // namespace kivo::x11
