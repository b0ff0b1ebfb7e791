// Decoration records as a property of each decorated window.
#include "platform/x11/x11_journal.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

#include "platform/text.h"

namespace kivo::x11 {

namespace {

constexpr char kPropertyName[] = "_KIVO_DECORATION";
// The longest record read back, in 32-bit units (two titles; no real pair
// comes near it). A longer one is never written.
constexpr std::uint32_t kMaxRecordLongs = 65536;

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

// A void request whose error, if any (BadWindow: the window has just gone),
// is dropped by xcb as it arrives: it never reaches the event queue and is
// never waited for.
void dropAnyError(xcb_connection_t* c, xcb_void_cookie_t cookie) {
  xcb_discard_reply(c, cookie.sequence);
}

// The property's value for a record, and back; false for anything but
// exactly "written NUL title".
std::string encode(const std::string& written, const std::string& title) {
  std::string value(text::cutAtNul(written));
  value += '\0';
  value += text::cutAtNul(title);
  return value;
}

bool decode(std::string_view value, DecorationRecord& record) {
  const std::size_t nul = value.find('\0');
  // What we write always holds the clock: an empty one is no record of ours.
  if (nul == 0 || nul == std::string_view::npos ||
      value.find('\0', nul + 1) != std::string_view::npos) {
    return false;
  }
  record.written = std::string(value.substr(0, nul));
  record.title = std::string(value.substr(nul + 1));
  return true;
}

}  // namespace

X11DecorationJournal::X11DecorationJournal(XConnection& x) : x_(x) {
  atomCookie_ = xcb_intern_atom(x_.xcb(), 0, static_cast<std::uint16_t>(std::strlen(kPropertyName)),
                                kPropertyName);
  atomAsked_ = true;
  // Sent now, answered by the time it is first needed.
  xcb_flush(x_.xcb());
}

xcb_atom_t X11DecorationJournal::atom(bool ownTrip) {
  if (atomAsked_) {
    atomAsked_ = false;
    if (ownTrip) x_.countRoundTrip();
    xcb_generic_error_t* error = nullptr;
    Reply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(x_.xcb(), atomCookie_, &error));
    std::free(error);
    if (r) atom_ = r->atom;
  }
  return atom_;
}

void X11DecorationJournal::remember(Hwnd h, const std::string& written, const std::string& title) {
  if (h == 0 || atom() == 0) return;
  const std::string value = encode(written, title);
  xcb_connection_t* c = x_.xcb();
  if (value.size() > kMaxRecordLongs * 4) {
    // Could never be read back: at least no older record may stand for it.
    dropAnyError(c, xcb_delete_property_checked(c, h, atom_));
  } else {
    dropAnyError(
        c, xcb_change_property_checked(c, XCB_PROP_MODE_REPLACE, h, atom_, x_.atoms().UTF8_STRING,
                                       8, static_cast<std::uint32_t>(value.size()), value.data()));
  }
  // On its way before the title it records is written (a later request on
  // the same connection, which the server carries out after this one).
  xcb_flush(c);
}

void X11DecorationJournal::forget(Hwnd h) {
  if (h == 0 || atom() == 0) return;
  xcb_connection_t* c = x_.xcb();
  dropAnyError(c, xcb_delete_property_checked(c, h, atom_));
  xcb_flush(c);
}

std::vector<DecorationRecord> X11DecorationJournal::leftOver() {
  xcb_connection_t* c = x_.xcb();
  // The managed windows and the root's children, in one round trip (the
  // atom's answer, asked for long before, comes with them).
  const auto clients = xcb_get_property(c, 0, x_.root(), x_.atoms()._NET_CLIENT_LIST,
                                        XCB_ATOM_WINDOW, 0, kMaxRecordLongs);
  const auto tree = xcb_query_tree(c, x_.root());
  x_.countRoundTrip();
  if (atom(false) == 0) {
    xcb_discard_reply(c, clients.sequence);
    xcb_discard_reply(c, tree.sequence);
    return {};
  }
  std::vector<xcb_window_t> windows;
  xcb_generic_error_t* error = nullptr;
  Reply<xcb_get_property_reply_t> list(xcb_get_property_reply(c, clients, &error));
  std::free(std::exchange(error, nullptr));
  if (list && list->format == 32) {
    const auto* v = static_cast<const xcb_window_t*>(xcb_get_property_value(list.get()));
    windows.assign(v, v + xcb_get_property_value_length(list.get()) / 4);
  }
  Reply<xcb_query_tree_reply_t> children(xcb_query_tree_reply(c, tree, &error));
  std::free(std::exchange(error, nullptr));
  if (children) {
    const xcb_window_t* v = xcb_query_tree_children(children.get());
    windows.insert(windows.end(), v, v + xcb_query_tree_children_length(children.get()));
  }
  // A window in both lists (no manager reparents it) is read once.
  std::vector<xcb_window_t> seen;
  std::erase_if(windows, [&](xcb_window_t w) {
    if (w == 0 || std::find(seen.begin(), seen.end(), w) != seen.end()) return true;
    seen.push_back(w);
    return false;
  });

  // Every window's record in one more round trip.
  std::vector<xcb_get_property_cookie_t> cookies;
  cookies.reserve(windows.size());
  for (const xcb_window_t w : windows) {
    cookies.push_back(
        xcb_get_property(c, 0, w, atom_, XCB_GET_PROPERTY_TYPE_ANY, 0, kMaxRecordLongs));
  }
  std::vector<DecorationRecord> records;
  if (!windows.empty()) x_.countRoundTrip();
  for (std::size_t i = 0; i < windows.size(); ++i) {
    // A window that went meanwhile answers with an error: no record.
    Reply<xcb_get_property_reply_t> r(xcb_get_property_reply(c, cookies[i], &error));
    std::free(std::exchange(error, nullptr));
    // Only a whole value of the type and format this journal writes.
    if (!r || r->type != x_.atoms().UTF8_STRING || r->format != 8 || r->bytes_after != 0) {
      continue;
    }
    const std::string_view value(static_cast<const char*>(xcb_get_property_value(r.get())),
                                 static_cast<std::size_t>(xcb_get_property_value_length(r.get())));
    DecorationRecord record;
    record.window = windows[i];
    if (decode(value, record)) records.push_back(std::move(record));
  }
  return records;
}

}  // namespace kivo::x11
