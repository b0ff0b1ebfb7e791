// The test display's other program: windows made and read through a connection of its own.
#include "tests/x11/backend/test_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace kivo::x11::test {

std::unique_ptr<XConnection> connect() {
  std::string error;
  auto x = XConnection::open(nullptr, error);
  if (!x) ADD_FAILURE() << error;
  return x;
}

void syncWith(xcb_connection_t* c) {
  // Once this round trip is answered, the server has carried out every
  // request before it: another connection sees the result.
  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

bool waitFor(const std::function<bool()>& condition, milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(milliseconds(5));  // the poll's pace, under the deadline
  }
}

TestClient::TestClient() {
  int screen = 0;
  c_ = xcb_connect(nullptr, &screen);
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c_));
  for (int i = 0; i < screen; ++i) xcb_screen_next(&it);
  root_ = it.data->root;
}

TestClient::~TestClient() { xcb_disconnect(c_); }

xcb_atom_t TestClient::atom(const std::string& name) {
  xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
      c_, xcb_intern_atom(c_, 0, static_cast<std::uint16_t>(name.size()), name.c_str()), nullptr);
  const xcb_atom_t a = r ? r->atom : 0;
  std::free(r);
  return a;
}

xcb_window_t TestClient::create(const std::string& className) {
  const xcb_window_t w = xcb_generate_id(c_);
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c_));
  const std::uint32_t values[] = {it.data->white_pixel};
  xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, root_, 40, 40, 320, 200, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL, values);
  setProperty(w, "WM_CLASS", XCB_ATOM_STRING,
              std::string("kivotest\0", 9) + className + '\0');  // syncs
  return w;
}

void TestClient::setProperty(xcb_window_t w, const std::string& property, xcb_atom_t type,
                             const std::string& bytes) {
  xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, atom(property), type, 8,
                      static_cast<std::uint32_t>(bytes.size()), bytes.data());
  sync();
}

void TestClient::sync() { syncWith(c_); }

bool TestClient::mapAndWait(xcb_window_t w) {
  xcb_map_window(c_, w);
  xcb_flush(c_);
  const auto managed = [&] {
    const auto clients = cardinals(root_, "_NET_CLIENT_LIST");
    return std::find(clients.begin(), clients.end(), w) != clients.end() &&
           cardinals(w, "_NET_FRAME_EXTENTS").size() == 4;
  };
  const auto active = [&] {
    const auto a = cardinals(root_, "_NET_ACTIVE_WINDOW");
    return !a.empty() && a[0] == w;
  };
  // Now and then openbox, just started, lets a map request go unanswered;
  // another one is answered.
  if (!waitFor([&] {
        if (waitFor(managed, milliseconds(1000))) return true;
        xcb_map_window(c_, w);
        xcb_flush(c_);
        return false;
      })) {
    std::fprintf(stderr, "window 0x%x: not managed by the window manager in time\n", w);
    return false;
  }
  // A window mapped while openbox is still starting is managed without the
  // focus: ask for it as a pager would.
  return waitFor([&] {
           if (active()) return true;
           send(root_, w, "_NET_ACTIVE_WINDOW", 2);
           return waitFor(active, milliseconds(500));
         }) ||
         (std::fprintf(stderr, "window 0x%x: managed, but never active\n", w), false);
}

void TestClient::destroy(xcb_window_t w) {
  xcb_destroy_window(c_, w);
  sync();
}

void TestClient::send(xcb_window_t to, xcb_window_t window, const std::string& type,
                      std::uint32_t d0, std::uint32_t d1) {
  xcb_client_message_event_t m{};
  m.response_type = XCB_CLIENT_MESSAGE;
  m.format = 32;
  m.window = window;
  m.type = atom(type);
  m.data.data32[0] = d0;
  m.data.data32[1] = d1;
  const std::uint32_t mask =
      to == root_ ? XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY : 0;
  xcb_send_event(c_, 0, to, mask, reinterpret_cast<const char*>(&m));
  xcb_flush(c_);
}

RawProperty TestClient::property(xcb_window_t w, const std::string& name) {
  RawProperty out;
  xcb_get_property_reply_t* r = xcb_get_property_reply(
      c_, xcb_get_property(c_, 0, w, atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 65536), nullptr);
  if (r != nullptr && r->type != XCB_NONE) {
    out.exists = true;
    out.type = r->type;
    out.bytes.assign(static_cast<const char*>(xcb_get_property_value(r)),
                     static_cast<std::size_t>(xcb_get_property_value_length(r)));
  }
  std::free(r);
  return out;
}

std::vector<std::uint32_t> TestClient::cardinals(xcb_window_t w, const std::string& name) {
  const RawProperty p = property(w, name);
  std::vector<std::uint32_t> out(p.bytes.size() / 4);
  if (!out.empty()) std::memcpy(out.data(), p.bytes.data(), out.size() * 4);
  return out;
}

xcb_window_t TestClient::frameOf(xcb_window_t w) {
  xcb_window_t current = w;
  for (;;) {
    xcb_query_tree_reply_t* t = xcb_query_tree_reply(c_, xcb_query_tree(c_, current), nullptr);
    if (t == nullptr) return current;
    const xcb_window_t parent = t->parent;
    std::free(t);
    if (parent == root_ || parent == XCB_NONE) return current;
    current = parent;
  }
}

std::vector<xcb_window_t> TestClient::stacking() {
  std::vector<xcb_window_t> out;
  xcb_query_tree_reply_t* t = xcb_query_tree_reply(c_, xcb_query_tree(c_, root_), nullptr);
  if (t == nullptr) return out;
  const xcb_window_t* children = xcb_query_tree_children(t);
  out.assign(children, children + xcb_query_tree_children_length(t));
  std::free(t);
  return out;
}

bool TestClient::viewable(xcb_window_t w) {
  xcb_get_window_attributes_reply_t* a =
      xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, w), nullptr);
  const bool v = a != nullptr && a->map_state == XCB_MAP_STATE_VIEWABLE;
  std::free(a);
  return v;
}

}  // namespace kivo::x11::test
