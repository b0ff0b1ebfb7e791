// The instance socket's directory, the second start's end of the socket and
// the window list's encoding.
#include "platform/xdg/instance_socket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace kivo::xdg {

namespace {

// Closes a descriptor when the scope ends.
struct Fd {
  int fd = -1;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

void put32(std::string& out, std::uint32_t v) {
  out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

bool take32(const std::string& in, std::size_t& at, std::uint32_t& v) {
  if (in.size() - at < sizeof v) return false;
  std::memcpy(&v, in.data() + at, sizeof v);
  at += sizeof v;
  return true;
}

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point end) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

std::string instanceDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return std::string(runtime) + "/kivo";
  const char* tmp = std::getenv("TMPDIR");
  const std::string base = tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp";
  return base + "/kivo-" + std::to_string(::getuid());
}

bool makePrivateDirectory(const std::string& dir) {
  if (::mkdir(dir.c_str(), 0700) == 0) return true;
  if (errno != EEXIST) return false;
  // Someone else's directory, or a link to one, in a shared /tmp would
  // hand this user's instance to them.
  struct stat st {};
  if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
    return false;
  if ((st.st_mode & 077) != 0 && ::chmod(dir.c_str(), 0700) != 0) return false;
  return true;
}

int connectToInstance(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) {
    errno = ENAMETOOLONG;
    return -1;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  // A UNIX socket connects at once or not at all; a full backlog says
  // EAGAIN rather than making the caller wait.
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

bool sendToInstance(const std::string& path, const InstanceRequest& request) {
  Fd s{connectToInstance(path)};
  if (s.fd < 0) return false;
  return ::send(s.fd, &request, sizeof request, MSG_NOSIGNAL) == sizeof request;
}

std::optional<std::vector<AdvertisedWindow>> askInstanceWindows(const std::string& path,
                                                                std::chrono::milliseconds timeout) {
  Fd s{connectToInstance(path)};
  if (s.fd < 0) return std::nullopt;
  InstanceRequest request;
  request.kind = kRequestWindows;
  if (::send(s.fd, &request, sizeof request, MSG_NOSIGNAL) != sizeof request) return std::nullopt;
  // The instance answers and closes: read until the end, or give up.
  const Clock::time_point end = Clock::now() + timeout;
  std::string answer;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::recv(s.fd, buffer, sizeof buffer, 0);
    if (n > 0) {
      answer.append(buffer, static_cast<std::size_t>(n));
      if (answer.size() > kMaxWindowsAnswer) return std::nullopt;
      continue;
    }
    if (n == 0) break;
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return std::nullopt;
    pollfd p{s.fd, POLLIN, 0};
    const int left = msLeft(end);
    if (left == 0 || ::poll(&p, 1, left) <= 0) return std::nullopt;
  }
  return decodeWindows(answer);
}

std::string encodeWindows(const std::vector<AdvertisedWindow>& windows) {
  std::string out;
  put32(out, kInstanceMagic);
  put32(out, 0);  // the count, written once known
  std::uint32_t count = 0;
  for (const AdvertisedWindow& w : windows) {
    const std::string title = w.title.substr(0, kMaxAdvertisedTitle);
    if (out.size() + 8 + title.size() > kMaxWindowsAnswer) break;
    put32(out, w.window);
    put32(out, static_cast<std::uint32_t>(title.size()));
    out += title;
    ++count;
  }
  std::memcpy(out.data() + 4, &count, sizeof count);
  return out;
}

std::optional<std::vector<AdvertisedWindow>> decodeWindows(const std::string& bytes) {
  std::size_t at = 0;
  std::uint32_t magic = 0, count = 0;
  if (!take32(bytes, at, magic) || magic != kInstanceMagic || !take32(bytes, at, count))
    return std::nullopt;
  std::vector<AdvertisedWindow> out;
  for (std::uint32_t i = 0; i < count; ++i) {
    AdvertisedWindow w;
    std::uint32_t length = 0;
    if (!take32(bytes, at, w.window) || !take32(bytes, at, length) ||
        length > kMaxAdvertisedTitle || bytes.size() - at < length)
      return std::nullopt;
    w.title = bytes.substr(at, length);
    at += length;
    out.push_back(std::move(w));
  }
  if (at != bytes.size()) return std::nullopt;
  return out;
}

}  // namespace kivo::xdg
