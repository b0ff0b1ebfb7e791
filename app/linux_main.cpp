// kivo's entry point: the program on the Linux desktop (X11, windows by Qt 6).
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
    "Kivo needs an X11 desktop (DISPLAY); under Wayland it reaches only the\n"
    "windows of X11 programs (XWayland). Its settings are kept in\n"
    "$XDG_CONFIG_HOME/kivo/settings.ini (~/.config/kivo/settings.ini).\n"
    "\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n";

// A run-time error that no procedure traps ends the program, as it always
// has: the user is told which error it was, after the window that carries
// the clock has been given its own title back.
int endByRuntimeError(kivo::LinuxDesktop& desktop, kivo::Kivo& app, const kivo::RuntimeError& e) {
  app.end();
  // This instance is over: a start while the box is up must start afresh
  // rather than hand over to it. Destroying the owner window gives up the
  // instance selection (and the windows it advertised).
  if (desktop.program.ownsSelection()) {
    xcb_destroy_window(desktop.conn.xcb(), desktop.program.ownerWindow());
    xcb_flush(desktop.conn.xcb());
  }
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
    std::fputs("kivo: no X display: DISPLAY is not set. Kivo runs on an X11 desktop.\n", stderr);
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
    return nullptr;
  }
  if (const char* wayland = std::getenv("WAYLAND_DISPLAY"); wayland != nullptr && *wayland) {
    std::fputs(
        "kivo: this is a Wayland session: only the windows of X11 programs (XWayland) get the "
        "clock.\n",
        stderr);
  }
  return connection;
}

}  // namespace

int main(int argc, char** argv) {
  if (const int status = handleArguments(argc, argv); status >= 0) return status;
  const std::unique_ptr<kivo::x11::XConnection> connection = openDisplay();
  if (!connection) return 1;
  // The forms must be X windows on that same display, whatever platform Qt
  // would pick by itself.
  ::setenv("QT_QPA_PLATFORM", "xcb", 1);
  // A write to a connection whose other end has gone (the X server, a sound
  // server) fails as an error the code sees, instead of killing Kivo before
  // it could give the window in front its title back.
  ::signal(SIGPIPE, SIG_IGN);

  kivo::LinuxDesktop desktop(*connection, argc, argv);
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
  desktop.toolkit.onEndSession = [&app] { app.end(); };
  try {
    app.start();
    // A second start has shown the running instance's window and ended.
    if (app.ended()) return 0;
    kivo::armUntrappedErrorForTests(app);
    // The start-up's scratch (the settings read, the hidden windows laid
    // out) is freed by now; handing it back keeps a program that mostly
    // waits small.
    desktop.toolkit.post([] { ::malloc_trim(0); });
    return desktop.toolkit.run();
  } catch (const kivo::RuntimeError& e) {
    return endByRuntimeError(desktop, app, e);
  }
}
