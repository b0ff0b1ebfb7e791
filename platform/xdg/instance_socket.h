#pragma once
// The running instance's UNIX socket, as both ends use it: where it lives,
// its private directory, and the messages a second start sends.
//
// One request per connection: 16 bytes (magic, kind, window, show
// command, in the machine's own byte order: both ends run on one machine).
// Show and raise get no answer; the window list is answered with the
// windows the instance advertises and their titles, then the connection
// closes.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kivo::xdg {

inline constexpr std::uint32_t kInstanceMagic = 0x4b49564fu;  // "KIVO"
// The same numbers as the X11 instance's client messages.
inline constexpr std::uint32_t kRequestShow = 1;
inline constexpr std::uint32_t kRequestRaise = 2;
inline constexpr std::uint32_t kRequestWindows = 3;

struct InstanceRequest {
  std::uint32_t magic = kInstanceMagic;
  std::uint32_t kind = 0;
  std::uint32_t window = 0;
  std::uint32_t cmd = 0;
};
static_assert(sizeof(InstanceRequest) == 16);

// The answer to kRequestWindows is at most this long; windows beyond it
// are left out (a title longer than kMaxAdvertisedTitle is cut).
inline constexpr std::size_t kMaxWindowsAnswer = 16384;
inline constexpr std::size_t kMaxAdvertisedTitle = 1024;

struct AdvertisedWindow {
  Hwnd window = 0;
  std::string title;
};

// $XDG_RUNTIME_DIR/kivo when XDG_RUNTIME_DIR is an absolute path (the
// per-user directory the session makes, private to the user); else
// $TMPDIR/kivo-<uid> (TMPDIR when absolute, else /tmp), made private.
std::string instanceDirectory();

// Makes `dir` (one level) with mode 0700, or takes the one there when it is
// a real directory (no symbolic link) of this user, closing it to others
// if it was open. False when it cannot be used.
bool makePrivateDirectory(const std::string& dir);

// A connected socket (non-blocking, close-on-exec) to the socket at
// `path`, or -1 with errno set (ECONNREFUSED: a file nobody listens on,
// ENOENT: no file; EAGAIN: a listener too busy to take it, alive all the
// same).
int connectToInstance(const std::string& path);

// Sends a request to the running instance; false when nobody took it.
bool sendToInstance(const std::string& path, const InstanceRequest& request);

// The windows the running instance advertises, or nothing when it did not
// answer completely within `timeout`.
std::optional<std::vector<AdvertisedWindow>> askInstanceWindows(
    const std::string& path, std::chrono::milliseconds timeout = std::chrono::seconds(2));

// The answer to kRequestWindows, and its reading (nothing when it is not
// one complete, well-formed answer).
std::string encodeWindows(const std::vector<AdvertisedWindow>& windows);
std::optional<std::vector<AdvertisedWindow>> decodeWindows(const std::string& bytes);

}  // namespace kivo::xdg
