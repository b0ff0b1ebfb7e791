#pragma once
// Another program on the test display: its own xcb connection, real
// top-level windows with the titles and classes a case asks for, and raw
// reads of their properties, so a case sees what the server holds, not
// what the backend believes.

#include <xcb/xcb.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/x11/x11_connection.h"

namespace kivo::x11::test {

using std::chrono::milliseconds;
inline constexpr milliseconds kDeadline{10000};

// A connection of the program's own to the test display (ADD_FAILURE and
// null when there is none).
std::unique_ptr<XConnection> connect();
// Waits until the server has carried out every request made on `c` so far.
void syncWith(xcb_connection_t* c);

// Polls `condition` every few milliseconds until it holds; false when the
// deadline passed first.
bool waitFor(const std::function<bool()>& condition, milliseconds deadline = kDeadline);

struct RawProperty {
  bool exists = false;
  xcb_atom_t type = 0;
  std::string bytes;
};

class TestClient {
 public:
  TestClient();
  ~TestClient();
  TestClient(const TestClient&) = delete;
  TestClient& operator=(const TestClient&) = delete;

  xcb_connection_t* xcb() { return c_; }
  xcb_window_t root() const { return root_; }
  xcb_atom_t atom(const std::string& name);

  // A 320x200 top-level window with WM_CLASS "kivotest\0<className>\0",
  // not yet mapped, and no title.
  xcb_window_t create(const std::string& className);
  void setProperty(xcb_window_t w, const std::string& property, xcb_atom_t type,
                   const std::string& bytes);
  void setProperty(xcb_window_t w, const std::string& property, const std::string& type,
                   const std::string& bytes) {
    setProperty(w, property, atom(type), bytes);
  }
  // Maps it and waits until the window manager has framed it (it is in
  // _NET_CLIENT_LIST and carries _NET_FRAME_EXTENTS) and made it active.
  bool mapAndWait(xcb_window_t w);
  void destroy(xcb_window_t w);
  // Sends a client message about `window` to `to`: to the root, as a
  // request for the window manager.
  void send(xcb_window_t to, xcb_window_t window, const std::string& type, std::uint32_t d0,
            std::uint32_t d1 = 0);
  // Waits until the server has carried out this client's requests.
  void sync();

  RawProperty property(xcb_window_t w, const std::string& name);
  std::vector<std::uint32_t> cardinals(xcb_window_t w, const std::string& name);
  // The window the manager reparented `w` into (w itself when none).
  xcb_window_t frameOf(xcb_window_t w);
  // The root's children, bottom to top.
  std::vector<xcb_window_t> stacking();
  bool viewable(xcb_window_t w);

 private:
  xcb_connection_t* c_ = nullptr;
  xcb_window_t root_ = 0;
};

}  // namespace kivo::x11::test
