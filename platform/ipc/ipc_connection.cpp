// The IPC socket's framing, and the requests and events over it.
#include "platform/ipc/ipc_connection.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kivo::ipc {
namespace {

constexpr std::string_view kMagic = "i3-ipc";
constexpr std::size_t kHeaderBytes = kMagic.size() + 8;
// Far beyond any tree a desktop holds: a length above it means the stream
// has lost its framing.
constexpr std::uint32_t kLargestPayload = 64u << 20;

void appendUint32(std::string& out, std::uint32_t value) {
  char bytes[4];
  std::memcpy(bytes, &value, 4);
  out.append(bytes, 4);
}

std::uint32_t readUint32(const std::string& in, std::size_t at) {
  std::uint32_t value = 0;
  std::memcpy(&value, in.data() + at, 4);
  return value;
}

}  // namespace

std::string encodeMessage(std::uint32_t type, std::string_view payload) {
  std::string out(kMagic);
  appendUint32(out, static_cast<std::uint32_t>(payload.size()));
  appendUint32(out, type);
  out.append(payload);
  return out;
}

Decoded decodeMessage(std::string& buffer, Message& out) {
  const std::size_t compared = std::min(buffer.size(), kMagic.size());
  if (buffer.compare(0, compared, kMagic.substr(0, compared)) != 0) return Decoded::kGarbled;
  if (buffer.size() < kHeaderBytes) return Decoded::kIncomplete;
  const std::uint32_t length = readUint32(buffer, kMagic.size());
  if (length > kLargestPayload) return Decoded::kGarbled;
  if (buffer.size() < kHeaderBytes + length) return Decoded::kIncomplete;
  out.type = readUint32(buffer, kMagic.size() + 4);
  out.payload.assign(buffer, kHeaderBytes, length);
  buffer.erase(0, kHeaderBytes + length);
  return Decoded::kMessage;
}

namespace {

// A socket connected to `path`, or -1 with `error` set.
int connectTo(const std::string& path, std::string& error) {
  sockaddr_un address{};
  if (path.empty() || path.size() >= sizeof address.sun_path) {
    error = "no usable IPC socket path '" + path + "'";
    return -1;
  }
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = std::string("cannot make a socket: ") + std::strerror(errno);
    return -1;
  }
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    error = "cannot connect to " + path + ": " + std::strerror(errno);
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

std::unique_ptr<IpcConnection> IpcConnection::open(const std::string& path, std::string& error) {
  const int fd = connectTo(path, error);
  if (fd < 0) return nullptr;
  return std::make_unique<IpcConnection>(fd);
}

bool IpcConnection::reconnect(const std::string& path, std::string& error) {
  const int fd = connectTo(path, error);
  if (fd < 0) return false;
  adopt(fd);
  return true;
}

void IpcConnection::adopt(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
  ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
  // Nothing of the old stream carries over: a half-read message, events
  // and replies all belonged to the compositor that went.
  buffer_.clear();
  events_.clear();
  replies_.clear();
  lost_ = false;
}

IpcConnection::IpcConnection(int fd) : fd_(fd) {
  // Never blocks: reads take what is there, writes and replies wait in
  // poll() with a deadline.
  ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
}

IpcConnection::~IpcConnection() {
  if (fd_ >= 0) ::close(fd_);
}

void IpcConnection::markLost() {
  if (lost_) return;
  lost_ = true;
  if (onLost) onLost();
}

bool IpcConnection::readAvailable() {
  // Once lost, what the socket still holds is read all the same: events
  // that came before the end.
  char chunk[65536];
  for (;;) {
    const ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
    if (got > 0) {
      buffer_.append(chunk, static_cast<std::size_t>(got));
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return !lost_;
    markLost();  // the end of the stream, or a broken one
    return false;
  }
}

void IpcConnection::sortMessages() {
  Message message;
  for (;;) {
    const Decoded d = decodeMessage(buffer_, message);
    if (d == Decoded::kIncomplete) return;
    if (d == Decoded::kGarbled) {
      markLost();
      return;
    }
    // A reply answers the oldest request still waiting (a request that
    // timed out has lost the connection, so none is left unanswered).
    (((message.type & kEventBit) != 0) ? events_ : replies_).push_back(std::move(message));
  }
}

bool IpcConnection::writeAll(const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd p{fd_, POLLOUT, 0};
      if (::poll(&p, 1, static_cast<int>(replyDeadline_.count())) > 0) continue;
    }
    return false;
  }
  return true;
}

std::optional<std::string> IpcConnection::request(std::uint32_t type, std::string_view payload) {
  if (lost_) return std::nullopt;
  ++requests_;
  if (!writeAll(encodeMessage(type, payload))) {
    markLost();
    return std::nullopt;
  }
  std::optional<std::string> reply;
  const auto end = std::chrono::steady_clock::now() + replyDeadline_;
  for (;;) {
    sortMessages();
    if (!replies_.empty()) {
      reply = std::move(replies_.front().payload);
      replies_.pop_front();
      break;
    }
    if (lost_) break;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    pollfd p{fd_, POLLIN, 0};
    const int ready = left.count() > 0 ? ::poll(&p, 1, static_cast<int>(left.count())) : 0;
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) {
      markLost();  // a compositor that no longer answers counts as gone
      break;
    }
    if (!readAvailable()) break;
  }
  return lost_ ? std::nullopt : reply;
}

std::deque<Message> IpcConnection::takeEvents() {
  readAvailable();
  sortMessages();
  std::deque<Message> out;
  out.swap(events_);
  return out;
}

}  // namespace kivo::ipc
