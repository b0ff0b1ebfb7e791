// The Linux desktop's services, made and wired for X11, i3 or sway.
#include "app/linux_desktop.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace kivo {

namespace {

const char* qtPlatformFor(LinuxDesktopKind kind) {
  return kind == LinuxDesktopKind::Sway ? "wayland" : "xcb";
}

}  // namespace

LinuxDesktop::LinuxDesktop(LinuxConnections connections, int& argc, char** argv)
    : kind_(connections.kind),
      ipcSocket_(std::move(connections.ipcSocket)),
      x_(std::move(connections.x)),
      ipc_(std::move(connections.ipc)),
      xProgram_(x_ ? std::make_unique<x11::X11ProgramInfo>(*x_) : nullptr),
      socketProgram_(x_ ? nullptr : std::make_unique<xdg::SocketProgramInfo>()),
      toolkit(argc, argv, qtPlatformFor(kind_)),
      xWindows_(x_ ? std::make_unique<x11::X11WindowSystem>(*x_) : nullptr),
      xJournal_(x_ && !ipc_ ? std::make_unique<x11::X11DecorationJournal>(*x_) : nullptr),
      socketWindows_(socketProgram_ ? std::make_unique<xdg::InstanceSocketWindows>(
                                          socketProgram_->runningInstance())
                                    : nullptr),
      handOver_(ipc_ ? std::make_unique<xdg::HandOverWindows>(
                           ipc_->windows(),
                           xWindows_ ? static_cast<WindowSystem&>(*xWindows_) : *socketWindows_)
                     : nullptr),
      store_(x11::IniStore::defaultPath(),
             [this](const std::string& message) {
               if (onStoreProblem) onStoreProblem(message);
             }),
      platform{windows(), sound_, shell_,    fileDialog_, toolkit,
               store_,    clock_, program(), journal()} {
  if (x_) wireX11();
  if (ipc_) wireCompositor();
  if (socketProgram_) {
    socketProgram_->setLocalWindows(&toolkit);
    if (socketProgram_->fd() >= 0)
      toolkit.watchFd(socketProgram_->fd(), [this] { socketProgram_->dispatch(); });
  }
  toolkit.onFormsChanged = [this] {
    if (xProgram_) xProgram_->advertise();
    if (socketProgram_) socketProgram_->advertise();
  };
  // Natively on Wayland, the compositor going away ends Kivo with its line.
  if (!x_) qt::reportDisplayLossAsKivo(qt::waylandDisplayName());
}

void LinuxDesktop::wireX11() {
  x11::XConnection& conn = *x_;
  // The X connection's events (selection requests, a second start's
  // requests) are handled in the toolkit's event loop.
  toolkit.watchFd(conn.fd(), [&conn] { conn.dispatch(); });
  // Show and raise requests for the program's own windows, and for the
  // windows the running instance advertises, go through the toolkit.
  xWindows_->setLocalWindows(&toolkit);
  xProgram_->setLocalWindows(&toolkit);
  // An X server that goes away ends Kivo with a line of its own.
  qt::reportDisplayLossAsKivo(conn.displayName());
  conn.onLost = [&conn] { qt::endOnLostDisplay(conn.displayName()); };
  // A start at the same moment that took the selection after all is the
  // instance: this one ends as at the end of the session, giving back the
  // title it wrote.
  xProgram_->onSelectionLost = [this] {
    if (toolkit.onEndSession) toolkit.onEndSession();
    toolkit.quit();
  };
}

namespace {

// How long i3 may take to answer again after its socket closed (a restart
// in place takes well under a second), and how often it is tried meanwhile.
constexpr int kI3ReturnMs = 10000;
constexpr int kI3RetryMs = 100;

}  // namespace

void LinuxDesktop::wireCompositor() {
  ipc::IpcSession& session = *ipc_;
  session.windows().setLocalWindows(&toolkit);
  toolkit.watchFd(session.fd(), [&session] { session.dispatch(); });
  session.setOnLost([this] {
    // i3 restarted in place (its "restart" command, on a key by default)
    // keeps the X display, its windows and their formats, and opens its
    // socket again: Kivo carries on over a new connection.
    if (kind_ == LinuxDesktopKind::I3) {
      if (reconnecting_) return;  // a failed attempt lost its connection
      toolkit.unwatchFd(ipc_->fd());
      reconnecting_ = true;
      awaitI3(kI3ReturnMs / kI3RetryMs);
      return;
    }
    // On sway that is the Wayland display going, whichever notices first.
    if (kind_ == LinuxDesktopKind::Sway) qt::endOnLostWaylandDisplay(qt::waylandDisplayName());
    endOnLostCompositor();
  });
}

void LinuxDesktop::awaitI3(int triesLeft) {
  toolkit.callLater(kI3RetryMs, [this, triesLeft] {
    std::string error;
    if (ipc_->reconnect(ipcSocket_, error)) {
      reconnecting_ = false;
      toolkit.watchFd(ipc_->fd(), [this] { ipc_->dispatch(); });
      return;
    }
    if (triesLeft > 1) {
      awaitI3(triesLeft - 1);
      return;
    }
    endOnLostCompositor();
  });
}

void LinuxDesktop::endOnLostCompositor() {
  // Without the compositor's answers no title bar can be given back now:
  // the session is over. The journal keeps what was written for the next
  // start.
  std::fprintf(stderr, "kivo: lost the window manager's IPC socket %s\n", ipcSocket_.c_str());
  std::fflush(nullptr);
  std::_Exit(1);
}

WindowSystem& LinuxDesktop::windows() {
  if (handOver_) return *handOver_;
  return *xWindows_;
}

ProgramInfo& LinuxDesktop::program() {
  if (xProgram_) return *xProgram_;
  return *socketProgram_;
}

DecorationJournal& LinuxDesktop::journal() {
  if (ipc_) return ipc_->journal();
  return *xJournal_;
}

void LinuxDesktop::start() {
  if (ipc_) ipc_->start();
}

void LinuxDesktop::end() {
  if (ipc_) ipc_->end();
}

void LinuxDesktop::giveUpInstance() {
  // Destroying the owner window gives up the instance selection (and the
  // windows it advertised); the socket goes with its object.
  if (xProgram_ && xProgram_->ownsSelection()) {
    xcb_destroy_window(x_->xcb(), xProgram_->ownerWindow());
    xcb_flush(x_->xcb());
  }
  if (socketProgram_) socketProgram_->giveUp();
}

}  // namespace kivo
