// kivo's entry point: the program on the Linux desktop (X11, sway or i3;
// windows by Qt 6).
#include <malloc.h>
#include <signal.h>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "app/linux_desktop.h"
#include "app/program.h"
#include "app/untrapped_error_for_tests.h"
#include "kivo_version.h"
#include "platform/errors.h"

namespace {

constexpr const char* kUsage = "usage: kivo [--help | --version]\n";
constexpr const char* kHelp =
    "usage: kivo [--help | --version]\n"
    "\n"
    "Kivo keeps a live clock in the title bar of the window in front, gives\n"
    "time signals every full hour and a daily alarm. It runs out of sight:\n"
    "start it a second time to bring up its window.\n"
    "\n"
    "Where the clock goes:\n"
    "  sway (SWAYSOCK)       every window's title bar, through sway's title\n"
    "                        format; no program's title is changed\n"
    "  i3 (I3SOCK, or i3 on the X display)\n"
    "                        the same, through i3's title format\n"
    "  any other X11 desktop (DISPLAY)\n"
    "                        the window's own title, given back when it\n"
    "                        leaves the front and when Kivo ends\n"
    "  other Wayland desktops (GNOME, KDE Plasma)\n"
    "                        only the windows of X11 programs (XWayland)\n"
    "\n"
    "Its settings are kept in $XDG_CONFIG_HOME/kivo/settings.ini\n"
    "(~/.config/kivo/settings.ini).\n"
    "\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n";

// A run-time error that no procedure traps ends the program, as it always
// has: the user is told which error it was, after the window that carries
// the clock has been given its own title back.
int endByRuntimeError(kivo::LinuxDesktop& desktop, kivo::Kivo& app, const kivo::RuntimeError& e) {
  app.end();
  desktop.end();
  // This instance is over: a start while the box is up must start afresh
  // rather than hand over to it.
  desktop.giveUpInstance();
  std::fprintf(stderr, "kivo: run-time error %d: %s\n", e.number(), e.description().c_str());
  const std::string text =
      app.texts()("実行時エラー '") + std::to_string(e.number()) + "':\n\n" + e.description();
  // A termination signal ends the box too: nothing is left to give back.
  desktop.toolkit.showLastBox(text, "Kivo");
  return 1;
}

// The command line: -1 to go on, else the exit status.
int handleArguments(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (arg == "--version") {
      std::printf("Kivo %s\n", kivo::kVersionText);
      return 0;
    }
    std::fprintf(stderr, "kivo: unknown option '%s'\n%s", argv[i], kUsage);
    return 2;
  }
  return -1;
}

// The X display Kivo works on, or nothing (and why, on stderr).
std::unique_ptr<kivo::x11::XConnection> openDisplay() {
  // Before Qt, which would abort without a display.
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || display[0] == '\0') {
    std::fputs(
        "kivo: no X display: DISPLAY is not set. Kivo runs on an X11 desktop, on sway or on i3.\n",
        stderr);
    return nullptr;
  }
  std::string error;
  std::unique_ptr<kivo::x11::XConnection> connection = kivo::x11::XConnection::open(display, error);
  if (!connection) {
    // The connection's text names the display already; say it otherwise.
    if (error.find(display) == std::string::npos) {
      error =
          "cannot open the X display " + std::string(display) + (error.empty() ? "" : ": ") + error;
    }
    std::fprintf(stderr, "kivo: %s\n", error.c_str());
  }
  return connection;
}

// i3 names its IPC socket in I3SOCK, or else on the root window.
std::string i3Socket(kivo::x11::XConnection& x) {
  if (const char* path = std::getenv("I3SOCK"); path != nullptr && *path) return path;
  xcb_connection_t* c = x.xcb();
  const char name[] = "I3_SOCKET_PATH";
  std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, sizeof name - 1, name), nullptr), &std::free);
  if (!atom || atom->atom == XCB_NONE) return {};
  std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> value(
      xcb_get_property_reply(
          c, xcb_get_property(c, 0, x.root(), atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
          nullptr),
      &std::free);
  if (!value || value->type == XCB_NONE) return {};
  return std::string(static_cast<const char*>(xcb_get_property_value(value.get())),
                     static_cast<std::size_t>(xcb_get_property_value_length(value.get())));
}

// The compositor's IPC session on `socket`, or nothing (and why, on stderr).
std::unique_ptr<kivo::ipc::IpcSession> openSession(const std::string& socket, const char* name) {
  std::string error;
  std::unique_ptr<kivo::ipc::IpcSession> session = kivo::ipc::IpcSession::open(socket, error);
  if (!session)
    std::fprintf(stderr, "kivo: cannot reach %s at %s: %s\n", name, socket.c_str(), error.c_str());
  return session;
}

// Which desktop this is, and its connections: sway when SWAYSOCK answers,
// else the X display, with i3's title bars when i3 runs on it. Fails
// (false, why on stderr) without any of them.
bool openDesktop(kivo::LinuxConnections& out) {
  using kivo::LinuxDesktopKind;
  if (const char* sway = std::getenv("SWAYSOCK"); sway != nullptr && *sway) {
    out.ipc = openSession(sway, "sway");
    if (out.ipc) {
      out.kind = LinuxDesktopKind::Sway;
      out.ipcSocket = sway;
      return true;
    }
  }
  out.x = openDisplay();
  if (!out.x) return false;
  if (const std::string i3 = i3Socket(*out.x); !i3.empty()) {
    out.ipc = openSession(i3, "i3");
    if (out.ipc) {
      out.kind = LinuxDesktopKind::I3;
      out.ipcSocket = i3;
      return true;
    }
  }
  out.kind = LinuxDesktopKind::X11;
  if (const char* wayland = std::getenv("WAYLAND_DISPLAY"); wayland != nullptr && *wayland) {
    std::fputs(
        "kivo: this is a Wayland session: only the windows of X11 programs (XWayland) get the "
        "clock.\n",
        stderr);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (const int status = handleArguments(argc, argv); status >= 0) return status;
  kivo::LinuxConnections connections;
  if (!openDesktop(connections)) return 1;
  // The forms are windows of the same desktop, whatever platform Qt would
  // pick by itself: X windows on the X display, native Wayland ones on sway.
  ::setenv("QT_QPA_PLATFORM", connections.x ? "xcb" : "wayland", 1);
  // A write to a connection whose other end has gone (the X server, the
  // compositor, a sound server) fails as an error the code sees, instead of
  // killing Kivo before it could give the window in front its title back.
  ::signal(SIGPIPE, SIG_IGN);

  kivo::LinuxDesktop desktop(std::move(connections), argc, argv);
  desktop.onStoreProblem = [&desktop](const std::string& message) {
    std::fprintf(stderr, "kivo: %s\n", message.c_str());
    // Shown from the event loop: told during the start-up, a box waiting for
    // its answer there would hold the clock back until then.
    desktop.toolkit.post([&desktop, message] {
      desktop.toolkit.messageBox(0, message, "Kivo", kivo::kMbOkOnly | kivo::kMbIconExclamation);
    });
  };
  kivo::Kivo app(desktop.platform);
  // Logging out, and SIGTERM, SIGINT or SIGHUP (the toolkit catches them),
  // end Kivo like its Exit button does, so the window in front keeps its own
  // title.
  desktop.toolkit.onEndSession = [&app, &desktop] {
    app.end();
    desktop.end();
  };
  try {
    desktop.start();
    app.start();
    // A second start has shown the running instance's window and ended.
    if (app.ended()) {
      desktop.end();
      return 0;
    }
    kivo::armUntrappedErrorForTests(app);
    // The start-up's scratch (the settings read, the hidden windows laid
    // out) is freed by now; handing it back keeps a program that mostly
    // waits small.
    desktop.toolkit.post([] { ::malloc_trim(0); });
    const int status = desktop.toolkit.run();
    desktop.end();
    return status;
  } catch (const kivo::RuntimeError& e) {
    return endByRuntimeError(desktop, app, e);
  }
}
