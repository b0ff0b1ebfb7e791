#pragma once
// The whole Linux desktop: every service on one object, wired together, and
// the Platform bundle the program receives. One per process, made on the
// thread that runs the program's windows, over an X connection opened
// before it (so a missing display is told before Qt starts).
//
// Implements: every service of platform/platform.h on an X11 desktop:
//   windows and the previous instance (platform/x11, over xcb), the INI
//   settings store, ALSA sound, opening files, the clock, and the forms,
//   boxes and timers as Qt 6 widgets (platform/qt).
// Cannot: nothing the seam's contract asks (every case of tests/contract
//   runs on it). Under Wayland it reaches only the windows of X11 programs
//   (XWayland): a native Wayland window's title cannot be read or written.

#include <functional>
#include <string>

#include "platform/platform.h"
#include "platform/qt/qt_display_loss.h"
#include "platform/qt/qt_file_dialog.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/x11/alsa_sound.h"
#include "platform/x11/ini_store.h"
#include "platform/x11/linux_clock.h"
#include "platform/x11/linux_shell.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_instance.h"
#include "platform/x11/x11_journal.h"
#include "platform/x11/x11_windows.h"

namespace kivo {

struct LinuxDesktop {
  // `argc` must outlive the desktop (Qt keeps a reference to it).
  LinuxDesktop(x11::XConnection& connection, int& argc, char** argv)
      : conn(connection), toolkit(argc, argv) {
    // The X connection's events (selection requests, a second start's
    // requests) are handled in the toolkit's event loop.
    toolkit.watchFd(conn.fd(), [this] { conn.dispatch(); });
    // Show and raise requests for the program's own windows, and for the
    // windows the running instance advertises, go through the toolkit.
    windows.setLocalWindows(&toolkit);
    program.setLocalWindows(&toolkit);
    toolkit.onFormsChanged = [this] { program.advertise(); };
    // An X server that goes away ends Kivo with a line of its own.
    qt::reportDisplayLossAsKivo(conn.displayName());
    conn.onLost = [this] { qt::endOnLostDisplay(conn.displayName()); };
    // A start at the same moment that took the selection after all is the
    // instance: this one ends as at the end of the session, giving back the
    // title it wrote.
    program.onSelectionLost = [this] {
      if (toolkit.onEndSession) toolkit.onEndSession();
      toolkit.quit();
    };
  }
  LinuxDesktop(const LinuxDesktop&) = delete;
  LinuxDesktop& operator=(const LinuxDesktop&) = delete;

  // Told once when the settings file is unusable (it is then left alone and
  // the defaults are used); set it before the program starts.
  std::function<void(const std::string&)> onStoreProblem;

  x11::XConnection& conn;
  // First, so the previous-instance test is decided before this instance
  // makes a window of its own.
  x11::X11ProgramInfo program{conn};
  x11::X11WindowSystem windows{conn};
  x11::AlsaSound sound;
  x11::LinuxShell shell;
  // Runs in the toolkit's loops, over the request's owner window.
  qt::QtFileDialog fileDialog{&toolkit};
  qt::QtToolkit toolkit;  // creates the QApplication
  x11::IniStore store{x11::IniStore::defaultPath(), [this](const std::string& message) {
                        if (onStoreProblem) onStoreProblem(message);
                      }};
  x11::LinuxClock clock;
  // On the decorated windows themselves: a killed run's records wait there.
  x11::X11DecorationJournal journal{conn};
  Platform platform{windows, sound, shell, fileDialog, toolkit, store, clock, program, journal};
};

}  // namespace kivo
