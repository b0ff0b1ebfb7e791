#pragma once
// A connection to the IPC socket that sway and i3 share: each message is
// "i3-ipc", its payload's length and its type (both 32-bit, in the host's
// byte order) and the payload, JSON. A message whose type has the high bit
// set is an event the compositor sends on its own once subscribed to it; any
// other is the reply to the request sent last.
//
// Events are read without blocking from fd(), which the program's event loop
// watches; a reply waited for while events arrive leaves them queued, in
// order, for the next takeEvents(). A closed socket (the compositor gone),
// a garbled stream or a reply that does not come within the reply deadline
// marks the connection lost: every later request fails at once, and
// onLost is called once.

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kivo::ipc {

// Request types and event types of the protocol.
inline constexpr std::uint32_t kRunCommand = 0;
inline constexpr std::uint32_t kSubscribe = 2;
inline constexpr std::uint32_t kGetTree = 4;
inline constexpr std::uint32_t kGetVersion = 7;
inline constexpr std::uint32_t kGetConfig = 9;
inline constexpr std::uint32_t kEventBit = 0x80000000u;
inline constexpr std::uint32_t kWorkspaceEvent = kEventBit | 0;
inline constexpr std::uint32_t kWindowEvent = kEventBit | 3;

struct Message {
  std::uint32_t type = 0;
  std::string payload;
};

// The bytes of one message.
std::string encodeMessage(std::uint32_t type, std::string_view payload);

enum class Decoded { kMessage, kIncomplete, kGarbled };
// Takes the first whole message off the front of `buffer` into `out`;
// kIncomplete (buffer untouched) while more bytes are needed, kGarbled when
// the buffer does not start with the magic string.
Decoded decodeMessage(std::string& buffer, Message& out);

class IpcConnection {
 public:
  // Connects to the socket at `path`; null with `error` set when it cannot.
  static std::unique_ptr<IpcConnection> open(const std::string& path, std::string& error);
  // Over a connected socket, which it then owns (a test's socket pair).
  explicit IpcConnection(int fd);
  // Connects afresh to `path` (i3 restarted in place opens its socket
  // again): a new fd(), nothing queued, not lost; false with `error` set
  // when nobody answers there yet, and the connection stays as it was.
  bool reconnect(const std::string& path, std::string& error);
  // The same over a connected socket, which it then owns (tests).
  void adopt(int fd);
  ~IpcConnection();
  IpcConnection(const IpcConnection&) = delete;
  IpcConnection& operator=(const IpcConnection&) = delete;

  // Readable whenever an event (or the end of the stream) has arrived.
  int fd() const { return fd_; }
  // Sends a request and waits for its reply; nothing when the connection
  // is (or becomes) lost.
  std::optional<std::string> request(std::uint32_t type, std::string_view payload);
  // Reads whatever has arrived, never waiting, and hands over every event
  // queued so far, oldest first.
  std::deque<Message> takeEvents();
  // Drops the events queued so far (they happened before a fresh read of
  // the whole state).
  void dropEvents() { events_.clear(); }

  bool lost() const { return lost_; }
  // Requests sent since the connection opened.
  std::uint64_t requestCount() const { return requests_; }
  // How long a reply may take before the compositor counts as gone.
  void setReplyDeadline(std::chrono::milliseconds deadline) { replyDeadline_ = deadline; }
  // Called once, from the call that found the connection lost.
  std::function<void()> onLost;

 private:
  // Reads what is there; false once the connection is lost.
  bool readAvailable();
  // Moves whole messages from the buffer to the queues of events and replies.
  void sortMessages();
  bool writeAll(const std::string& bytes);
  void markLost();

  int fd_ = -1;
  std::string buffer_;
  std::deque<Message> events_;
  std::deque<Message> replies_;
  bool lost_ = false;
  std::uint64_t requests_ = 0;
  std::chrono::milliseconds replyDeadline_{5000};
};

}  // namespace kivo::ipc
