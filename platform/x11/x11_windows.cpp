// X11 window functions: foreground, titles, class names, find window, rectangles.
#include "platform/x11/x11_windows.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "platform/text.h"
#include "platform/x11/x11_text.h"

namespace kivo::x11 {

namespace {

// Every read asks for the whole property, however long (a title of
// hundreds of kilobytes comes back whole, or its restore would lose the
// tail). The length is in 32-bit units; four times it still fits in 32 bits,
// which the server computes in.
constexpr std::uint32_t kWholePropertyLongs = UINT32_MAX / 4;

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

// A reply, or nullptr on any error (which is dropped: a window that has
// just gone is an expected answer).
Reply<xcb_get_property_reply_t> propertyReply(xcb_connection_t* c,
                                              xcb_get_property_cookie_t cookie) {
  xcb_generic_error_t* error = nullptr;
  Reply<xcb_get_property_reply_t> r(xcb_get_property_reply(c, cookie, &error));
  std::free(error);
  return r;
}

std::string_view bytesOf(xcb_get_property_reply_t* r) {
  if (r == nullptr || r->type == XCB_NONE) return {};
  const int length = xcb_get_property_value_length(r);
  if (length <= 0) return {};
  return {static_cast<const char*>(xcb_get_property_value(r)), static_cast<std::size_t>(length)};
}

std::vector<std::uint32_t> cardinalsOf(xcb_get_property_reply_t* r) {
  if (r == nullptr || r->format != 32) return {};
  const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(r));
  return std::vector<std::uint32_t>(v, v + xcb_get_property_value_length(r) / 4);
}

// Cut to at most bufferChars - 1 characters, as a buffer of that size holds.
std::string cutToBuffer(const std::string& s, int bufferChars) {
  if (bufferChars <= 1) return {};
  return text::left(s, static_cast<std::size_t>(bufferChars - 1));
}

xcb_get_property_cookie_t getProperty(xcb_connection_t* c, xcb_window_t w, xcb_atom_t atom,
                                      xcb_atom_t type = XCB_GET_PROPERTY_TYPE_ANY) {
  return xcb_get_property(c, 0, w, atom, type, 0, kWholePropertyLongs);
}

}  // namespace

X11WindowSystem::X11WindowSystem(XConnection& x) : x_(x) {
  // The window in front and the managed windows are the root's properties:
  // told of each change, a tick need not ask for them.
  const std::uint32_t mask[] = {XCB_EVENT_MASK_PROPERTY_CHANGE};
  xcb_change_window_attributes(x_.xcb(), x_.root(), XCB_CW_EVENT_MASK, mask);
}

X11WindowSystem::~X11WindowSystem() {
  if (highlight_ != 0) {
    xcb_destroy_window(x_.xcb(), highlight_);
    xcb_flush(x_.xcb());
  }
}

void X11WindowSystem::flush() { xcb_flush(x_.xcb()); }

Hwnd X11WindowSystem::getForegroundWindow() {
  // A new tick: what the server has told since the last one is taken in
  // (one read that never waits), and only what it said has changed is
  // asked for again. A window gone stays "nothing" no longer than a tick.
  owner_.reset();
  std::erase_if(cache_, [](const auto& entry) { return !entry.second.exists; });
  absorbEvents();
  if (root_.stale) readRoot();
  // A lost display shows in the read: it is told within a tick.
  if (!x_.checkAlive()) return 0;
  return isManagedClient(root_.active) ? root_.active : 0;
}

void X11WindowSystem::readRoot() {
  // The client list comes in the same round trip as the active window, so
  // it is never older than the window it vouches for.
  xcb_connection_t* c = x_.xcb();
  const auto active =
      xcb_get_property(c, 0, x_.root(), x_.atoms()._NET_ACTIVE_WINDOW, XCB_ATOM_WINDOW, 0, 1);
  const auto clients = getProperty(c, x_.root(), x_.atoms()._NET_CLIENT_LIST, XCB_ATOM_WINDOW);
  x_.countRoundTrip();
  const auto values = cardinalsOf(propertyReply(c, active).get());
  const auto list = propertyReply(c, clients);
  root_.readAt = static_cast<std::uint16_t>(active.sequence);
  root_.active = values.empty() ? 0 : values[0];
  // A manager without a client list vouches for nothing: its word is taken.
  root_.vouches = list && list->type != XCB_NONE;
  root_.clients = cardinalsOf(list.get());
  // Read again only when the server says it changed (or it could not be read).
  root_.stale = !x_.checkAlive();
}

bool X11WindowSystem::isManagedClient(Hwnd h) const {
  // Some window managers point _NET_ACTIVE_WINDOW at the root (or at a
  // window of their own) when nothing has the focus; a clock written there
  // would be written on a window nobody sees, or on our own owner window.
  if (h == 0 || h == x_.root() || h == x_.instanceOwner()) return false;
  if (!root_.vouches) return true;
  return std::find(root_.clients.begin(), root_.clients.end(), h) != root_.clients.end();
}

std::vector<X11WindowSystem::WindowInfo> X11WindowSystem::fetchInfo(
    const std::vector<xcb_window_t>& windows) {
  xcb_connection_t* c = x_.xcb();
  const Atoms& a = x_.atoms();
  struct Cookies {
    xcb_get_property_cookie_t netName, name, cls;
  };
  std::vector<Cookies> cookies;
  cookies.reserve(windows.size());
  // Told of every change from now on, a read stays good until one comes.
  const std::uint32_t mask[] = {XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE};
  for (const xcb_window_t w : windows) {
    xcb_change_window_attributes(c, w, XCB_CW_EVENT_MASK, mask);
    // _NET_WM_NAME with any type: some tools write it as STRING.
    cookies.push_back({getProperty(c, w, a._NET_WM_NAME), getProperty(c, w, XCB_ATOM_WM_NAME),
                       getProperty(c, w, XCB_ATOM_WM_CLASS)});
  }
  std::vector<WindowInfo> out(windows.size());
  if (windows.empty()) return out;
  x_.countRoundTrip();
  for (std::size_t i = 0; i < windows.size(); ++i) {
    const auto netName = propertyReply(c, cookies[i].netName);
    const auto name = propertyReply(c, cookies[i].name);
    const auto cls = propertyReply(c, cookies[i].cls);
    WindowInfo& info = out[i];
    info.readAt = static_cast<std::uint16_t>(cookies[i].netName.sequence);
    // A window that is gone answers every read with an error.
    info.exists = netName || name || cls;
    if (!info.exists) continue;
    info.hasNetWmName = netName && netName->type != XCB_NONE;
    info.title = info.hasNetWmName ? decodeText(x_, netName->type, bytesOf(netName.get()))
                                   : decodeText(x_, name ? name->type : 0, bytesOf(name.get()));
    // "instance\0class\0": the class is the second string.
    const std::string_view both = bytesOf(cls.get());
    const std::size_t nul = both.find('\0');
    if (nul != std::string_view::npos) {
      info.className = decodeText(x_, cls->type, both.substr(nul + 1));
    }
  }
  return out;
}

void X11WindowSystem::absorbEvents() {
  const Atoms& a = x_.atoms();
  // A change counts when the server made it after our read: its event then
  // carries our read's sequence number or a later one. Our own title
  // writes, made before the read that follows them, do not count.
  const auto after = [](std::uint16_t sequence, std::uint16_t readAt) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(sequence - readAt)) >= 0;
  };
  const auto changed = [&](xcb_window_t w, std::uint16_t sequence) {
    const auto found = cache_.find(w);
    if (found != cache_.end() && after(sequence, found->second.readAt)) cache_.erase(found);
  };
  while (xcb_generic_event_t* e = xcb_poll_for_event(x_.xcb())) {
    switch (e->response_type & 0x7f) {
      case XCB_DESTROY_NOTIFY:
        changed(reinterpret_cast<xcb_destroy_notify_event_t*>(e)->window, e->sequence);
        break;
      case XCB_PROPERTY_NOTIFY: {
        const auto* p = reinterpret_cast<xcb_property_notify_event_t*>(e);
        if (p->window == x_.root()) {
          if ((p->atom == a._NET_ACTIVE_WINDOW || p->atom == a._NET_CLIENT_LIST) &&
              after(e->sequence, root_.readAt)) {
            root_.stale = true;
          }
        } else if (p->atom == XCB_ATOM_WM_NAME || p->atom == a._NET_WM_NAME ||
                   p->atom == XCB_ATOM_WM_CLASS) {
          changed(p->window, e->sequence);
        }
        break;
      }
      default:
        // Errors our earlier requests left (a move of a window that had
        // gone) need no answer.
        break;
    }
    std::free(e);
  }
}

const X11WindowSystem::WindowInfo& X11WindowSystem::info(Hwnd h) {
  absorbEvents();
  const auto found = cache_.find(h);
  if (found != cache_.end()) return found->second;
  return cache_[h] = fetchInfo({h}).front();
}

int X11WindowSystem::getWindowTextLength(Hwnd h) {
  if (h == 0) return 0;
  const WindowInfo& i = info(h);
  return i.exists ? static_cast<int>(text::length(i.title)) : 0;
}

std::string X11WindowSystem::getWindowText(Hwnd h, int bufferChars) {
  if (h == 0 || bufferChars <= 1) return {};
  const WindowInfo& i = info(h);
  return i.exists ? cutToBuffer(i.title, bufferChars) : std::string();
}

int X11WindowSystem::getClassName(Hwnd h, std::string& out, int bufferChars) {
  out.clear();
  if (h == 0 || bufferChars <= 1) return 0;
  const WindowInfo& i = info(h);
  if (!i.exists) return 0;
  out = cutToBuffer(i.className, bufferChars);
  return static_cast<int>(text::length(out));
}

void X11WindowSystem::setWindowText(Hwnd h, const std::string& text) {
  if (h == 0) return;
  // Whether the window keeps _NET_WM_NAME decides what to write; usually the
  // tick has just read the window, so this costs nothing.
  const bool hasNetWmName = info(h).hasNetWmName;
  if (!info(h).exists) return;
  const std::string_view title = text::cutAtNul(text);
  const EncodedText wmName = encodeWmName(x_, title);
  xcb_change_property(x_.xcb(), XCB_PROP_MODE_REPLACE, h, XCB_ATOM_WM_NAME, wmName.type, 8,
                      static_cast<std::uint32_t>(wmName.bytes.size()), wmName.bytes.data());
  // A _NET_WM_NAME we added to a program that updates only WM_NAME would
  // hide every later title it sets.
  if (hasNetWmName) {
    xcb_change_property(x_.xcb(), XCB_PROP_MODE_REPLACE, h, x_.atoms()._NET_WM_NAME,
                        x_.atoms().UTF8_STRING, 8, static_cast<std::uint32_t>(title.size()),
                        title.data());
  }
  flush();
  // The next read asks the server again: it tells what the window holds
  // now, not what we meant it to.
  cache_.erase(h);
}

std::string X11WindowSystem::roundTrip(Hwnd h, const std::string& text) {
  const std::size_t nul = text.find('\0');
  const std::string_view title = text::cutAtNul(text);
  if (isLatin1(title)) return text;
  if (h != 0) {
    const WindowInfo& i = info(h);
    if (i.exists && i.hasNetWmName) return text;
  }
  // Only WM_NAME carries it: the text comes back through COMPOUND_TEXT,
  // which may not hold every character; what follows the first NUL was
  // never written and stays as it was.
  const EncodedText wmName = encodeWmName(x_, title);
  std::string back = decodeText(x_, wmName.type, wmName.bytes);
  if (nul != std::string::npos) back += text.substr(nul);
  return back;
}

const X11WindowSystem::Owner& X11WindowSystem::instanceOwner(bool fresh) {
  if (owner_ && !fresh) return *owner_;
  xcb_connection_t* c = x_.xcb();
  Owner owner;
  const auto cookie = xcb_get_selection_owner(c, x_.atoms().instanceSelection);
  x_.countRoundTrip();
  Reply<xcb_get_selection_owner_reply_t> r(xcb_get_selection_owner_reply(c, cookie, nullptr));
  if (r && r->owner != XCB_NONE) {
    owner.window = r->owner;
    const auto list = getProperty(c, owner.window, x_.atoms()._KIVO_WINDOWS, XCB_ATOM_WINDOW);
    x_.countRoundTrip();
    const auto values = cardinalsOf(propertyReply(c, list).get());
    owner.windows.assign(values.begin(), values.end());
  }
  owner_ = std::move(owner);
  return *owner_;
}

Hwnd X11WindowSystem::findWindow(const std::string& className, const std::string& title) {
  const std::string_view wantClass = text::cutAtNul(className);
  const std::string_view wantTitle = text::cutAtNul(title);
  xcb_connection_t* c = x_.xcb();

  const auto clients = getProperty(c, x_.root(), x_.atoms()._NET_CLIENT_LIST, XCB_ATOM_WINDOW);
  x_.countRoundTrip();
  std::vector<xcb_window_t> candidates;
  for (const std::uint32_t w : cardinalsOf(propertyReply(c, clients).get())) {
    candidates.push_back(w);
  }
  // Windows that are not managed (hidden ones) are in no client list: this
  // process's own, and those the running instance advertises.
  if (local_ != nullptr) {
    for (const Hwnd h : local_->ownWindows()) candidates.push_back(h);
  }
  for (const Hwnd h : instanceOwner(true).windows) candidates.push_back(h);
  std::vector<xcb_window_t> unique;
  for (const xcb_window_t w : candidates) {
    if (w != 0 && std::find(unique.begin(), unique.end(), w) == unique.end()) unique.push_back(w);
  }

  const std::vector<WindowInfo> infos = fetchInfo(unique);
  Hwnd found = 0;
  for (std::size_t i = 0; i < unique.size(); ++i) {
    cache_[unique[i]] = infos[i];
    if (found == 0 && infos[i].exists && infos[i].className == wantClass &&
        infos[i].title == wantTitle) {
      found = unique[i];
    }
  }
  return found;
}

std::optional<X11WindowSystem::Frame> X11WindowSystem::frame(Hwnd h) {
  if (h == 0) return std::nullopt;
  xcb_connection_t* c = x_.xcb();
  const auto geometry = xcb_get_geometry(c, h);
  const auto place = xcb_translate_coordinates(c, h, x_.root(), 0, 0);
  const auto extents = getProperty(c, h, x_.atoms()._NET_FRAME_EXTENTS, XCB_ATOM_CARDINAL);
  x_.countRoundTrip();
  xcb_generic_error_t* error = nullptr;
  Reply<xcb_get_geometry_reply_t> g(xcb_get_geometry_reply(c, geometry, &error));
  std::free(error);
  error = nullptr;
  Reply<xcb_translate_coordinates_reply_t> t(xcb_translate_coordinates_reply(c, place, &error));
  std::free(error);
  const auto e = cardinalsOf(propertyReply(c, extents).get());
  if (!g || !t) return std::nullopt;
  Frame f;
  f.x = t->dst_x;
  f.y = t->dst_y;
  f.width = g->width;
  f.height = g->height;
  if (e.size() >= 4) {
    f.left = e[0];
    f.right = e[1];
    f.top = e[2];
    f.bottom = e[3];
  }
  return f;
}

bool X11WindowSystem::getWindowRect(Hwnd h, Rect& rect) {
  const auto f = frame(h);
  if (!f) return false;
  const auto left = static_cast<std::int32_t>(f->left);
  const auto top = static_cast<std::int32_t>(f->top);
  rect.left = f->x - left;
  rect.top = f->y - top;
  rect.right = f->x + static_cast<std::int32_t>(f->width + f->right);
  rect.bottom = f->y + static_cast<std::int32_t>(f->height + f->bottom);
  return true;
}

}  // namespace kivo::x11
