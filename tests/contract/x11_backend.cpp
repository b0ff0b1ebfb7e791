// The contract suite's factory for the Linux desktop's window functions: real
// top-level windows of another client on the test display (Xvfb with
// openbox), read and written through the X11 window system.
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_windows.h"
#include "tests/contract/contract.h"

namespace kivo::contract {
namespace {

// The settings and timer parts need the INI store and the Qt toolkit,
// which this instance does not take part with yet.
[[noreturn]] void notHere(const char* what) {
  std::fprintf(stderr, "kivo_contract_x11: no %s in this instance\n", what);
  std::abort();
}

class X11Backend : public ContractBackend {
 public:
  X11Backend() {
    std::string error;
    x_ = x11::XConnection::open(nullptr, error);
    if (!x_) {
      std::fprintf(stderr, "kivo_contract_x11: %s\n", error.c_str());
      std::abort();
    }
    windows_ = std::make_unique<x11::X11WindowSystem>(*x_);
    int screen = 0;
    client_ = xcb_connect(nullptr, &screen);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(client_));
    for (int i = 0; i < screen; ++i) xcb_screen_next(&it);
    screen_ = it.data;
  }
  ~X11Backend() override {
    for (const xcb_window_t w : made_) xcb_destroy_window(client_, w);
    xcb_disconnect(client_);
  }

  WindowSystem& windows() override { return *windows_; }
  Toolkit& toolkit() override { notHere("toolkit"); }
  SettingsStore& store() override { notHere("settings store"); }
  std::unique_ptr<SettingsStore> freshStore() override { notHere("settings store"); }
  void dropSection(const std::string&) override { notHere("settings store"); }
  void answerNextBox(int, milliseconds) override { notHere("toolkit"); }

  // Windows of roles 'T' and 'C' are a classic Xlib program's, titled by
  // WM_NAME alone (compound text for anything beyond Latin-1, so the
  // titles must survive the trip through it); the others a current
  // toolkit's, which keeps _NET_WM_NAME beside WM_NAME.
  Hwnd createWindow(const std::string& className, const std::string& title) override {
    const xcb_window_t w = xcb_generate_id(client_);
    const std::uint32_t values[] = {screen_->white_pixel};
    xcb_create_window(client_, XCB_COPY_FROM_PARENT, w, screen_->root, 64, 64, 320, 200, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL,
                      values);
    const std::string wmClass = "kivo-contract" + std::string(1, '\0') + className + '\0';
    change(w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, wmClass);
    const char role = className.size() > 12 ? className[12] : ' ';
    if (role == 'T' || role == 'C') {
      // The window system writes titles as such a program does.
      change(w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, "");
      made_.push_back(w);
      windows_->setWindowText(w, title);
    } else {
      change(w, XCB_ATOM_WM_NAME, atom("UTF8_STRING"), title);
      change(w, atom("_NET_WM_NAME"), atom("UTF8_STRING"), title);
      made_.push_back(w);
    }
    xcb_map_window(client_, w);
    xcb_flush(client_);
    // Shown means framed by the window manager and in front, as a new
    // window is on this desktop. Openbox, just started, now and then leaves
    // a map request unanswered or a new window without the focus: both are
    // asked for again now and then.
    int polls = 0;
    const bool ready = pumpUntil(
        [&] {
          if (windows_->getForegroundWindow() == w && windows_->getWindowText(w, 1024) == title) {
            return true;
          }
          if (++polls % 50 == 0) {
            xcb_map_window(client_, w);
            xcb_flush(client_);
            windows_->setForegroundWindow(w);
          }
          return false;
        },
        kDeadline);
    if (!ready) {
      destroyWindow(w);
      return 0;
    }
    return w;
  }
  void destroyWindow(Hwnd h) override {
    xcb_destroy_window(client_, h);
    std::erase(made_, h);
    // Once this round trip is answered, the server has destroyed it.
    std::free(xcb_get_input_focus_reply(client_, xcb_get_input_focus(client_), nullptr));
  }

  bool pumpUntil(const std::function<bool()>& condition, milliseconds deadline) override {
    const auto end = std::chrono::steady_clock::now() + deadline;
    for (;;) {
      x_->dispatch();
      if (condition()) return true;
      if (std::chrono::steady_clock::now() >= end) return false;
      // The window manager answers in its own time; look again soon.
      std::this_thread::sleep_for(milliseconds(5));
    }
  }
  void letTimePass(milliseconds duration) override { std::this_thread::sleep_for(duration); }

  std::optional<std::string> cannot(Promise promise) override {
    switch (promise) {
      case Promise::MissingSettingGivesDefault:
      case Promise::SettingValuesVerbatim:
      case Promise::DeleteMissingSettingFails:
      case Promise::DeleteSettingRemovesIt:
      case Promise::FreshStoreSharesStorage:
        return "the INI settings store does not take part in this instance yet";
      case Promise::TimerIntervalChange:
      case Promise::TimerDisable:
      case Promise::TimerNeverNests:
      case Promise::DoEventsRunsDueTimer:
      case Promise::MessageBoxAnswers: return "the Qt toolkit is not built yet";
      default: return std::nullopt;
    }
  }

 private:
  xcb_atom_t atom(const char* name) {
    xcb_intern_atom_reply_t* r = xcb_intern_atom_reply(
        client_, xcb_intern_atom(client_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr);
    const xcb_atom_t a = r ? r->atom : 0;
    std::free(r);
    return a;
  }
  void change(xcb_window_t w, xcb_atom_t property, xcb_atom_t type, const std::string& value) {
    xcb_change_property(client_, XCB_PROP_MODE_REPLACE, w, property, type, 8,
                        static_cast<std::uint32_t>(value.size()), value.data());
    // The window system reads it on a connection of its own.
    std::free(xcb_get_input_focus_reply(client_, xcb_get_input_focus(client_), nullptr));
  }

  std::unique_ptr<x11::XConnection> x_;
  std::unique_ptr<x11::X11WindowSystem> windows_;
  xcb_connection_t* client_ = nullptr;
  xcb_screen_t* screen_ = nullptr;
  std::vector<xcb_window_t> made_;
};

}  // namespace

std::unique_ptr<ContractBackend> makeContractBackend() { return std::make_unique<X11Backend>(); }

}  // namespace kivo::contract
