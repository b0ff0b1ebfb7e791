// The sway/i3 services made together.
#include "platform/ipc/ipc_session.h"

#include <cstdlib>

namespace kivo::ipc {

std::string IpcSession::socketFromEnvironment() {
  for (const char* name : {"SWAYSOCK", "I3SOCK"}) {
    const char* path = std::getenv(name);
    if (path != nullptr && *path != '\0') return path;
  }
  return {};
}

std::unique_ptr<IpcSession> IpcSession::open(const std::string& socketPath, std::string& error) {
  std::unique_ptr<IpcSession> session(new IpcSession);
  session->ipc_ = IpcConnection::open(socketPath, error);
  if (!session->ipc_) return nullptr;
  session->windows_ = TitleFormatWindowSystem::connect(*session->ipc_, error);
  if (!session->windows_) return nullptr;
  const std::string file = IpcDecorationJournal::defaultFile();
  if (file.empty()) {
    session->journal_ = std::make_unique<NoDecorationJournal>();
  } else {
    TitleFormatWindowSystem* windows = session->windows_.get();
    session->journal_ = std::make_unique<IpcDecorationJournal>(
        file, socketPath, [windows](Hwnd h) { return windows->containerOf(h); });
  }
  return session;
}

bool IpcSession::reconnect(const std::string& socketPath, std::string& error) {
  if (!ipc_->reconnect(socketPath, error)) return false;
  if (windows_->resume()) return true;
  error = "the compositor does not report its windows";
  return false;
}

}  // namespace kivo::ipc
