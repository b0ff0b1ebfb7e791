#pragma once
// The previous-instance question where there is no X server to ask (sway,
// any Wayland session), and the hand-over a second start makes to the
// running instance: what X11ProgramInfo does with a selection, over a UNIX
// socket in the user's runtime directory (instance_socket.h).
//
// The running instance listens on <dir>/instance.sock. A start holds the
// lock <dir>/instance.lock (flock) while it decides: a socket that takes a
// connection belongs to a live instance, and this start is a second one; a
// socket file nobody listens on (ECONNREFUSED) was left by a dead instance
// and is replaced. Two starts at the same moment decide one after the
// other, so exactly one of them listens.
//
// The running instance serves the socket from the toolkit's event loop:
// one descriptor to watch (an epoll set of the listening socket, its
// clients and their deadline), never a wait on a client. Only clients of
// the same user are served (the directory is 0700, the socket 0600, and
// each client's credentials are checked); a request that is not exactly
// one well-formed message, or that names a window the instance does not
// own, is dropped; a client that says nothing is dropped after a second.

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/xdg/instance_socket.h"
#include "platform/xdg/local_windows.h"

namespace kivo::xdg {

class SocketProgramInfo : public ProgramInfo {
 public:
  // Decides previousInstance() over the socket in `directory` (made if
  // need be). When the directory cannot be used, this start runs as the
  // instance without a socket (a second start then cannot find it).
  explicit SocketProgramInfo(std::string directory = instanceDirectory());
  ~SocketProgramInfo() override;
  SocketProgramInfo(const SocketProgramInfo&) = delete;
  SocketProgramInfo& operator=(const SocketProgramInfo&) = delete;

  // True when another instance was listening when this one started.
  bool previousInstance() override { return previous_; }
  std::string userLanguage() const override;
  bool startsAtLogin() const override;
  bool setStartAtLogin(bool on) override;

  // The windows to advertise and to carry requests out on (nullptr: none).
  void setLocalWindows(LocalWindows* local);
  // Takes the current list of own windows for the answers to a second
  // start; called again whenever forms are attached or detached.
  void advertise();

  // The running instance's end: the descriptor the event loop watches
  // (-1 for a second start, or without a socket), and what it calls when
  // that is readable. dispatch() never waits.
  int fd() const { return events_; }
  void dispatch();
  bool ownsInstance() const { return listener_ >= 0; }
  // Stops being the instance (a fatal error's box is up): the socket goes,
  // so a later start starts afresh instead of handing over to this one.
  void giveUp();

  // A second start's view of the running instance's windows: ownWindows()
  // asks it for the windows it advertises (with their titles), show and
  // raise requests go to it. Empty and inert when nobody listens.
  LocalWindows& runningInstance() { return running_; }

  const std::string& socketPath() const { return socketPath_; }

  // How long a client may take to send its request.
  static constexpr std::chrono::milliseconds kClientDeadline{1000};
  // Clients served at once; beyond them, the oldest is dropped.
  static constexpr std::size_t kMaxClients = 8;

 private:
  struct Client {
    int fd = -1;
    std::size_t have = 0;
    InstanceRequest request;
    std::chrono::steady_clock::time_point deadline;
  };
  class RunningInstance : public LocalWindows {
   public:
    explicit RunningInstance(const SocketProgramInfo& info) : info_(info) {}
    bool ownsWindow(Hwnd h) override;
    std::vector<Hwnd> ownWindows() override;
    void showOwnWindow(Hwnd h, int cmd) override;
    void raiseOwnWindow(Hwnd h) override;
    std::string ownWindowTitle(Hwnd h) override;

   private:
    const SocketProgramInfo& info_;
    std::vector<AdvertisedWindow> known_;
  };

  // Under the lock: connects to a listener, else listens in place of a
  // stale socket file.
  void decide();
  bool listen();
  void acceptClients();
  void readClient(Client& client);
  void serve(const Client& client);
  // Closes a client's connection; forget() only takes it off the list.
  void dropClient(int fd);
  void forget(int fd);
  void dropLateClients();
  void armDeadline();

  std::string directory_;
  std::string socketPath_;
  bool previous_ = false;
  int listener_ = -1;
  int events_ = -1;    // epoll: the listener, the clients, the deadline timer
  int deadline_ = -1;  // timerfd
  ino_t socketInode_ = 0;
  LocalWindows* local_ = nullptr;
  std::vector<Hwnd> advertised_;
  std::vector<Client> clients_;
  RunningInstance running_{*this};
};

}  // namespace kivo::xdg
