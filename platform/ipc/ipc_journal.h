#pragma once
// The decoration journal on sway and i3: a small JSON file of the program's
// own in $XDG_RUNTIME_DIR (private to the user, emptied at logout), each
// record naming its window by handle and container id and the compositor
// session it belongs to (the IPC socket's path and inode). A record of
// another session is never listed: that compositor's windows are gone, and
// its numbers may name other windows now; it is dropped once its socket has
// gone. Each change rewrites the file whole, through a new file renamed
// over the old one, so a crash leaves the old or the new journal, never a
// torn one.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kivo::ipc {

class IpcDecorationJournal : public DecorationJournal {
 public:
  // The container id of a window that exists now, nothing for another.
  using ContainerOf = std::function<std::optional<std::uint64_t>(Hwnd)>;

  // `file`: the journal; `socketPath`: the compositor's IPC socket.
  IpcDecorationJournal(std::string file, const std::string& socketPath, ContainerOf containerOf);

  // $XDG_RUNTIME_DIR/kivo-decorations.json; empty without XDG_RUNTIME_DIR.
  static std::string defaultFile();
  // The session a socket stands for ("path#inode"); empty when it is gone.
  static std::string sessionOf(const std::string& socketPath);

  void remember(Hwnd h, const std::string& written, const std::string& title) override;
  void forget(Hwnd h) override;
  std::vector<DecorationRecord> leftOver() override;

 private:
  struct Entry {
    std::string session;
    Hwnd window = 0;
    std::uint64_t container = 0;
    std::string written, title;
  };
  std::vector<Entry> load() const;
  void save(const std::vector<Entry>& entries) const;

  std::string file_;
  std::string session_;
  ContainerOf containerOf_;
};

}  // namespace kivo::ipc
