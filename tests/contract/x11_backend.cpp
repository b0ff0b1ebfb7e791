// The contract suite's factory for the Linux desktop: real top-level windows
// of another client on the test display (Xvfb with openbox), read and
// written through the X11 window system; the Qt toolkit's timers and
// message boxes in real time. Its INI store is checked without a display by
// kivo_contract_ini; this instance runs no settings case.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_journal.h"
#include "platform/x11/x11_windows.h"
#include "tests/contract/qt_contract_backend.h"
#include "tests/x11/backend/test_client.h"

namespace kivo::contract {
namespace {

class X11Backend : public QtContractBackend {
 public:
  X11Backend() {
    std::string error;
    x_ = x11::XConnection::open(nullptr, error);
    if (!x_) {
      std::fprintf(stderr, "kivo_contract_x11: %s\n", error.c_str());
      std::abort();
    }
    windows_ = std::make_unique<x11::X11WindowSystem>(*x_);
    journal_ = std::make_unique<x11::X11DecorationJournal>(*x_);
  }

  WindowSystem& windows() override { return *windows_; }

  // Windows of role 'T' are a classic Xlib program's, titled by
  // WM_NAME alone (compound text for anything beyond Latin-1, so the
  // titles must survive the trip through it); the others a current
  // toolkit's, which keeps _NET_WM_NAME beside WM_NAME. The client's
  // windows go with its connection.
  Hwnd createWindow(const std::string& className, const std::string& title) override {
    const xcb_window_t w = client_.create(className);
    const char role = className.size() > 12 ? className[12] : ' ';
    if (role == 'T') {
      // The window system writes titles as such a program does.
      client_.setProperty(w, "WM_NAME", XCB_ATOM_STRING, "");
      windows_->setWindowText(w, title);
    } else {
      for (const char* name : {"WM_NAME", "_NET_WM_NAME"})
        client_.setProperty(w, name, "UTF8_STRING", title);
    }
    // Shown means framed by the window manager and in front, as a new
    // window is on this desktop, and seen so by the window system.
    if (client_.mapAndWait(w) && pumpUntil(
                                     [&] {
                                       return windows_->getForegroundWindow() == w &&
                                              windows_->getWindowText(w, 1024) == title;
                                     },
                                     kDeadline)) {
      return w;
    }
    client_.destroy(w);
    return 0;
  }
  // Once the client's round trip is answered, the server has destroyed it.
  void destroyWindow(Hwnd h) override { client_.destroy(static_cast<xcb_window_t>(h)); }

  // The records live on the windows, in the server: a new journal object is
  // all the next run has. It shares this connection, so that what one
  // journal writes the other reads in order, as one process would.
  DecorationJournal& journal() override { return *journal_; }
  std::unique_ptr<DecorationJournal> freshJournal() override {
    return std::make_unique<x11::X11DecorationJournal>(*x_);
  }

 protected:
  void dispatchWindows() override { x_->dispatch(); }

 private:
  std::unique_ptr<x11::XConnection> x_;
  std::unique_ptr<x11::X11WindowSystem> windows_;
  std::unique_ptr<x11::X11DecorationJournal> journal_;
  x11::test::TestClient client_;
};

}  // namespace

std::unique_ptr<ContractBackend> makeContractBackend() { return std::make_unique<X11Backend>(); }

}  // namespace kivo::contract
