#pragma once
// Everything the program needs from sway or i3, made together over one IPC
// connection: the window system and the decoration journal of this
// compositor session. The program's event loop watches fd() and calls
// dispatch() when it is readable; start() runs once before the clock's
// first tick, end() last on every way out.

#include <functional>
#include <memory>
#include <string>

#include "platform/ipc/ipc_connection.h"
#include "platform/ipc/ipc_journal.h"
#include "platform/ipc/title_format_windows.h"
#include "platform/platform.h"

namespace kivo::ipc {

class IpcSession {
 public:
  // The IPC socket the environment names: SWAYSOCK (sway), else I3SOCK
  // (i3); empty when neither is set (i3 also names its socket in the X
  // root window's I3_SOCKET_PATH, which the X11 side reads).
  static std::string socketFromEnvironment();
  // Connects and reads the compositor's state; null with `error` set when
  // it cannot.
  static std::unique_ptr<IpcSession> open(const std::string& socketPath, std::string& error);

  TitleFormatWindowSystem& windows() { return *windows_; }
  // In $XDG_RUNTIME_DIR; keeps nothing where there is none.
  DecorationJournal& journal() { return *journal_; }
  int fd() const { return ipc_->fd(); }
  // Applies the events that have arrived.
  void dispatch() { windows_->dispatch(); }
  // Gives back the formats a killed run of this session left.
  void start() { windows_->giveBackLeftOver(*journal_); }
  // Gives back every format and flash still set.
  void end() { windows_->restoreAll(); }
  // Called once when the compositor has gone (its socket closed, or no
  // answer within the reply deadline).
  void setOnLost(std::function<void()> onLost) { ipc_->onLost = std::move(onLost); }
  bool lost() const { return ipc_->lost(); }
  // After a loss: connects again to `socketPath` and carries on with the
  // windows, formats and flashes as the compositor kept them (i3 restarted
  // in place). False, with `error`, while nobody answers there; onLost is
  // called again at the next loss.
  bool reconnect(const std::string& socketPath, std::string& error);

 private:
  IpcSession() = default;
  std::unique_ptr<IpcConnection> ipc_;
  std::unique_ptr<TitleFormatWindowSystem> windows_;
  std::unique_ptr<DecorationJournal> journal_;
};

}  // namespace kivo::ipc
