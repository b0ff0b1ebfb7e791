// The contract suite's factory for the Linux desktop: real top-level windows
// of another client on the test display (Xvfb with openbox), read and
// written through the X11 window system; the Qt toolkit's timers and
// message boxes in real time. Its INI store is checked without a display by
// kivo_contract_ini; this instance runs no settings case.
#include <xcb/xcb.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/qt/qt_toolkit.h"
#include "platform/sim/sim_store.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_journal.h"
#include "platform/x11/x11_windows.h"
#include "tests/contract/contract.h"

namespace kivo::contract {
namespace {

// QApplication keeps a reference to its argument count.
int qtArgc = 1;
char qtArg0[] = "kivo_contract_x11";
char* qtArgv[] = {qtArg0, nullptr};

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
    journal_ = std::make_unique<x11::X11DecorationJournal>(*x_);
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
  Toolkit& toolkit() override { return toolkit_; }
  SettingsStore& store() override { return store_; }
  // Never asked: the settings part is not linked into this instance.
  std::unique_ptr<SettingsStore> freshStore() override { return std::make_unique<sim::SimStore>(); }
  void dropSection(const std::string&) override {}
  // A timer of the event loop that runs inside the box finds it, lets it
  // stay open for `hold` while the program's timers fire, then presses the
  // button as a click would.
  void answerNextBox(int answer, milliseconds hold) override {
    QMessageBox::StandardButton button = QMessageBox::Ok;
    if (answer == kIdCancel) button = QMessageBox::Cancel;
    if (answer == kIdYes) button = QMessageBox::Yes;
    if (answer == kIdNo) button = QMessageBox::No;
    auto* finder = new QTimer(qApp);
    const auto end = std::chrono::steady_clock::now() + kDeadline;
    QObject::connect(finder, &QTimer::timeout, finder, [finder, button, hold, end] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr || !box->isVisible()) {
        if (std::chrono::steady_clock::now() >= end) finder->deleteLater();
        return;
      }
      finder->deleteLater();
      QTimer::singleShot(static_cast<int>(hold.count()), box, [box, button] {
        if (QAbstractButton* b = box->button(button)) b->click();
      });
    });
    finder->start(5);
  }

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
      // Everything queued, through the toolkit's own loop (its timers);
      // then the window manager and the timers answer in their own time:
      // look again soon.
      toolkit_.doEvents();
      if (condition()) return true;
      std::this_thread::sleep_for(milliseconds(5));
    }
  }
  void letTimePass(milliseconds duration) override { std::this_thread::sleep_for(duration); }

  // The records live on the windows, in the server: a new journal object is
  // all the next run has. It shares this connection, so that what one
  // journal writes the other reads in order, as one process would.
  DecorationJournal& journal() override { return *journal_; }
  std::unique_ptr<DecorationJournal> freshJournal() override {
    return std::make_unique<x11::X11DecorationJournal>(*x_);
  }

  std::optional<std::string> cannot(Promise) override { return std::nullopt; }

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

  sim::SimStore store_;
  qt::QtToolkit toolkit_{qtArgc, qtArgv};
  std::unique_ptr<x11::XConnection> x_;
  std::unique_ptr<x11::X11WindowSystem> windows_;
  std::unique_ptr<x11::X11DecorationJournal> journal_;
  xcb_connection_t* client_ = nullptr;
  xcb_screen_t* screen_ = nullptr;
  std::vector<xcb_window_t> made_;
};

}  // namespace

std::unique_ptr<ContractBackend> makeContractBackend() { return std::make_unique<X11Backend>(); }

}  // namespace kivo::contract
