// The previous-instance socket: the decision at start, the running
// instance's service of second starts, and a second start's requests.
#include "platform/xdg/socket_program_info.h"

#include <fcntl.h>
#include <sys/epoll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/xdg/desktop_preferences.h"

namespace kivo::xdg {

namespace {

using Clock = std::chrono::steady_clock;

void watch(int epoll, int fd) {
  epoll_event e{};
  e.events = EPOLLIN;
  e.data.fd = fd;
  ::epoll_ctl(epoll, EPOLL_CTL_ADD, fd, &e);
}

// Whether the peer of a connected UNIX socket runs as this user.
bool sameUser(int fd) {
  ucred peer{};
  socklen_t size = sizeof peer;
  return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid();
}

}  // namespace

SocketProgramInfo::SocketProgramInfo(std::string directory)
    : directory_(std::move(directory)), socketPath_(directory_ + "/instance.sock") {
  if (!makePrivateDirectory(directory_)) return;
  const std::string lockPath = directory_ + "/instance.lock";
  const int lock = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  // Held only while this start decides: a start that died holding it has
  // let go of it with its last descriptor.
  while (lock >= 0 && ::flock(lock, LOCK_EX) != 0 && errno == EINTR) {
  }
  decide();
  if (lock >= 0) ::close(lock);
}

void SocketProgramInfo::decide() {
  const int probe = connectToInstance(socketPath_);
  if (probe >= 0 || errno == EAGAIN) {
    // Somebody listens (a listener too busy to take this one is alive too).
    if (probe >= 0) ::close(probe);
    previous_ = true;
    return;
  }
  // ENOENT: no instance ever, or one that ended cleanly. ECONNREFUSED: a
  // socket file left by an instance that died; nobody can be using it, as
  // every start asks under the lock. Anything else (no rights to it): this
  // start runs alone.
  if (errno != ENOENT && errno != ECONNREFUSED) return;
  if (errno == ECONNREFUSED) ::unlink(socketPath_.c_str());
  if (!listen()) return;
  events_ = ::epoll_create1(EPOLL_CLOEXEC);
  deadline_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
  watch(events_, listener_);
  watch(events_, deadline_);
}

bool SocketProgramInfo::listen() {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (socketPath_.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, socketPath_.c_str(), socketPath_.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  struct stat st {};
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::chmod(socketPath_.c_str(), 0600) != 0 || ::listen(fd, 16) != 0 ||
      ::stat(socketPath_.c_str(), &st) != 0) {
    ::close(fd);
    return false;
  }
  listener_ = fd;
  socketInode_ = st.st_ino;
  return true;
}

SocketProgramInfo::~SocketProgramInfo() {
  giveUp();
  if (deadline_ >= 0) ::close(deadline_);
  if (events_ >= 0) ::close(events_);
}

void SocketProgramInfo::giveUp() {
  for (const Client& c : clients_) ::close(c.fd);
  clients_.clear();
  if (listener_ >= 0) {
    // The file goes with the instance, unless a later instance has put its
    // own there (this one's was taken for stale).
    struct stat st {};
    if (::stat(socketPath_.c_str(), &st) == 0 && st.st_ino == socketInode_)
      ::unlink(socketPath_.c_str());
    ::close(listener_);
    listener_ = -1;
  }
}

std::string SocketProgramInfo::userLanguage() const { return languageFromEnvironment(); }
bool SocketProgramInfo::startsAtLogin() const { return xdg::startsAtLogin(); }
bool SocketProgramInfo::setStartAtLogin(bool on) { return xdg::setStartAtLogin(on); }

void SocketProgramInfo::setLocalWindows(LocalWindows* local) {
  local_ = local;
  advertise();
}

void SocketProgramInfo::advertise() {
  // A second start advertises nothing: find window must lead to the
  // running instance only.
  advertised_.clear();
  if (!ownsInstance() || local_ == nullptr) return;
  advertised_ = local_->ownWindows();
}

// ---- The running instance's end -----------------------------------------------------

void SocketProgramInfo::dispatch() {
  if (events_ < 0) return;
  // Level-triggered: what is left for later keeps the descriptor readable.
  epoll_event ready[16];
  const int n = ::epoll_wait(events_, ready, 16, 0);
  for (int i = 0; i < n; ++i) {
    const int fd = ready[i].data.fd;
    if (fd == listener_) {
      acceptClients();
    } else if (fd == deadline_) {
      std::uint64_t expirations = 0;
      static_cast<void>(::read(deadline_, &expirations, sizeof expirations));
      dropLateClients();
    } else {
      const auto it = std::find_if(clients_.begin(), clients_.end(),
                                   [fd](const Client& c) { return c.fd == fd; });
      if (it != clients_.end()) readClient(*it);
    }
  }
}

void SocketProgramInfo::acceptClients() {
  for (;;) {
    const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;  // EAGAIN: all taken
    if (!sameUser(fd)) {
      ::close(fd);
      continue;
    }
    // Full: the one that has waited longest goes, so a flood of silent
    // clients cannot keep a second start out for longer than it lasts.
    if (clients_.size() >= kMaxClients) dropClient(clients_.front().fd);
    Client c;
    c.fd = fd;
    c.deadline = Clock::now() + kClientDeadline;
    clients_.push_back(c);
    watch(events_, fd);
    armDeadline();
  }
}

void SocketProgramInfo::readClient(Client& client) {
  auto* into = reinterpret_cast<char*>(&client.request) + client.have;
  const ssize_t n = ::recv(client.fd, into, sizeof client.request - client.have, 0);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
  if (n <= 0) return dropClient(client.fd);  // gone before a whole request
  client.have += static_cast<std::size_t>(n);
  if (client.have < sizeof client.request) return;
  // One request per connection: anything after it makes the whole of it
  // something else, and nothing is done.
  char extra;
  if (::recv(client.fd, &extra, 1, MSG_PEEK) > 0) return dropClient(client.fd);
  // Out of the list first: the request may run a loop of the toolkit (a
  // form's handler showing a box), which serves other clients meanwhile.
  const Client done = client;
  ::epoll_ctl(events_, EPOLL_CTL_DEL, done.fd, nullptr);
  forget(done.fd);
  serve(done);
  ::close(done.fd);
}

void SocketProgramInfo::serve(const Client& client) {
  const InstanceRequest& r = client.request;
  if (r.magic != kInstanceMagic || local_ == nullptr) return;
  if (r.kind == kRequestWindows) {
    std::vector<AdvertisedWindow> windows;
    for (const Hwnd h : advertised_) windows.push_back({h, local_->ownWindowTitle(h)});
    const std::string answer = encodeWindows(windows);
    // Fits the socket's buffer many times over; a client that let it fill
    // gets less and reads no answer.
    static_cast<void>(::send(client.fd, answer.data(), answer.size(), MSG_NOSIGNAL));
    return;
  }
  // Only windows of this process, whoever asks.
  if (r.window == 0 || !local_->ownsWindow(r.window)) return;
  if (r.kind == kRequestShow) {
    local_->showOwnWindow(r.window, static_cast<int>(r.cmd));
  } else if (r.kind == kRequestRaise) {
    local_->raiseOwnWindow(r.window);
  }
}

void SocketProgramInfo::dropClient(int fd) {
  ::epoll_ctl(events_, EPOLL_CTL_DEL, fd, nullptr);
  ::close(fd);
  forget(fd);
}

void SocketProgramInfo::forget(int fd) {
  clients_.erase(std::remove_if(clients_.begin(), clients_.end(),
                                [fd](const Client& c) { return c.fd == fd; }),
                 clients_.end());
  armDeadline();
}

void SocketProgramInfo::dropLateClients() {
  const Clock::time_point now = Clock::now();
  std::vector<int> late;
  for (const Client& c : clients_) {
    if (c.deadline <= now) late.push_back(c.fd);
  }
  for (const int fd : late) dropClient(fd);
  armDeadline();
}

void SocketProgramInfo::armDeadline() {
  itimerspec when{};  // zero: disarmed
  if (!clients_.empty()) {
    const auto first =
        std::min_element(clients_.begin(), clients_.end(),
                         [](const Client& a, const Client& b) { return a.deadline < b.deadline; });
    const auto left = std::max(std::chrono::nanoseconds(1), first->deadline - Clock::now());
    when.it_value.tv_sec = static_cast<time_t>(left.count() / 1000000000);
    when.it_value.tv_nsec = static_cast<long>(left.count() % 1000000000);
  }
  ::timerfd_settime(deadline_, 0, &when, nullptr);
}

// ---- A second start's end ----------------------------------------------------------

bool SocketProgramInfo::RunningInstance::ownsWindow(Hwnd h) {
  if (known_.empty()) ownWindows();
  return h != 0 && std::any_of(known_.begin(), known_.end(),
                               [h](const AdvertisedWindow& w) { return w.window == h; });
}

std::vector<Hwnd> SocketProgramInfo::RunningInstance::ownWindows() {
  known_.clear();
  if (info_.previous_) {
    if (auto windows = askInstanceWindows(info_.socketPath_)) known_ = std::move(*windows);
  }
  std::vector<Hwnd> out;
  for (const AdvertisedWindow& w : known_) out.push_back(w.window);
  return out;
}

void SocketProgramInfo::RunningInstance::showOwnWindow(Hwnd h, int cmd) {
  if (!info_.previous_) return;
  InstanceRequest r;
  r.kind = kRequestShow;
  r.window = h;
  r.cmd = static_cast<std::uint32_t>(cmd);
  sendToInstance(info_.socketPath_, r);
}

void SocketProgramInfo::RunningInstance::raiseOwnWindow(Hwnd h) {
  if (!info_.previous_) return;
  InstanceRequest r;
  r.kind = kRequestRaise;
  r.window = h;
  sendToInstance(info_.socketPath_, r);
}

std::string SocketProgramInfo::RunningInstance::ownWindowTitle(Hwnd h) {
  for (const AdvertisedWindow& w : known_) {
    if (w.window == h) return w.title;
  }
  return {};
}

}  // namespace kivo::xdg
