#pragma once
// The whole Linux desktop: every service on one object, wired together, and
// the Platform bundle the program receives. One per process, made on the
// thread that runs the program's windows, over the connections opened
// before it (so a missing display is told before Qt starts).
//
// Three desktops, chosen at start-up (linux_main.cpp):
//   X11   any EWMH window manager: titles written through xcb
//         (platform/x11), the previous instance an X selection, the forms
//         X windows drawn by Qt.
//   i3    the same X display, but the clock goes into i3's own title bars
//         through its IPC (platform/ipc): no program's title is touched.
//   sway  Wayland: the clock in sway's title bars through its IPC, the
//         previous instance a socket in the runtime directory
//         (platform/xdg), the forms native Wayland windows.
// The settings store, sound, opening files and the clock are the same on
// all three.
//
// Implements: every service of platform/platform.h.
// Cannot: on X11, nothing the seam's contract asks; on sway and i3, what
//   platform/ipc/title_format_windows.h names (moving a tiled window,
//   minimizing another program's window). Under another Wayland compositor
//   only the windows of X11 programs (XWayland) are reached.

#include <functional>
#include <memory>
#include <string>

#include "platform/ipc/ipc_session.h"
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
#include "platform/xdg/hand_over_windows.h"
#include "platform/xdg/socket_program_info.h"

namespace kivo {

enum class LinuxDesktopKind { X11, I3, Sway };

// What linux_main.cpp opened before the desktop is made: the X display
// (X11 and i3), the compositor's IPC session (i3 and sway).
struct LinuxConnections {
  LinuxDesktopKind kind = LinuxDesktopKind::X11;
  std::unique_ptr<x11::XConnection> x;
  std::unique_ptr<ipc::IpcSession> ipc;
  std::string ipcSocket;  // the IPC session's socket, for messages
};

class LinuxDesktop {
 public:
  // `argc` must outlive the desktop (Qt keeps a reference to it).
  LinuxDesktop(LinuxConnections connections, int& argc, char** argv);
  LinuxDesktop(const LinuxDesktop&) = delete;
  LinuxDesktop& operator=(const LinuxDesktop&) = delete;

  LinuxDesktopKind kind() const { return kind_; }
  // Before the program starts: gives back what a killed run left in the
  // compositor's title bars (sway and i3; X11 does it through the journal).
  void start();
  // After the program has ended, on every way out: nothing Kivo set stays
  // in the compositor's title bars.
  void end();
  // Ends this instance for a later start (a fatal error's box is up): a
  // new start then starts afresh instead of handing over to this one.
  void giveUpInstance();

  // Told once when the settings file is unusable (it is then left alone and
  // the defaults are used); set it before the program starts.
  std::function<void(const std::string&)> onStoreProblem;

 private:
  LinuxDesktopKind kind_;
  std::string ipcSocket_;
  std::unique_ptr<x11::XConnection> x_;
  std::unique_ptr<ipc::IpcSession> ipc_;
  // i3's socket closed and Kivo waits for it to answer again.
  bool reconnecting_ = false;
  // First, so the previous-instance test is decided before this instance
  // makes a window of its own.
  std::unique_ptr<x11::X11ProgramInfo> xProgram_;
  std::unique_ptr<xdg::SocketProgramInfo> socketProgram_;

 public:
  qt::QtToolkit toolkit;  // creates the QApplication

 private:
  std::unique_ptr<x11::X11WindowSystem> xWindows_;
  std::unique_ptr<x11::X11DecorationJournal> xJournal_;
  std::unique_ptr<xdg::InstanceSocketWindows> socketWindows_;
  std::unique_ptr<xdg::HandOverWindows> handOver_;
  x11::AlsaSound sound_;
  x11::LinuxShell shell_;
  // Runs in the toolkit's loops, over the request's owner window.
  qt::QtFileDialog fileDialog_{&toolkit};
  x11::IniStore store_;
  x11::LinuxClock clock_;

  WindowSystem& windows();
  ProgramInfo& program();
  DecorationJournal& journal();
  void wireX11();
  void wireCompositor();
  // Tries every 100 ms, `triesLeft` times, to reach i3 again; then ends
  // Kivo as a lost compositor does.
  void awaitI3(int triesLeft);
  [[noreturn]] void endOnLostCompositor();

 public:
  Platform platform;
};

}  // namespace kivo
