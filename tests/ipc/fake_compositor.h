#pragma once
// The compositor's end of a socket pair: replies and events written ahead
// (the socket holds them until the connection under test reads), and the
// requests that connection sent, read back.
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <utility>

#include "platform/ipc/ipc_connection.h"

namespace kivo::ipc::test {

class FakeCompositor {
 public:
  FakeCompositor() { ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds_); }
  ~FakeCompositor() {
    closeOurEnd();
    if (fds_[1] >= 0) ::close(fds_[1]);
  }
  // The client's end, for an IpcConnection to own.
  int takeClientEnd() { return std::exchange(fds_[1], -1); }

  void send(std::uint32_t type, const std::string& payload) {
    const std::string bytes = encodeMessage(type, payload);
    ::write(fds_[0], bytes.data(), bytes.size());
  }
  void reply(const std::string& payload) { send(0, payload); }
  void succeed() { reply(R"([{"success":true}])"); }
  // The payloads of every request received so far, one after the other.
  std::string requests() {
    char chunk[65536];
    ssize_t n;
    while ((n = ::recv(fds_[0], chunk, sizeof chunk, MSG_DONTWAIT)) > 0) raw_.append(chunk, n);
    std::string out;
    Message m;
    while (decodeMessage(raw_, m) == Decoded::kMessage) out += m.payload + "\n";
    return out;
  }
  void closeOurEnd() {
    if (fds_[0] >= 0) ::close(fds_[0]);
    fds_[0] = -1;
  }

 private:
  int fds_[2] = {-1, -1};
  std::string raw_;
};

}  // namespace kivo::ipc::test
