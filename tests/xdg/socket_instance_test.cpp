// The single instance over the runtime directory's socket: the first start
// owns it, a second start reaches the first one's windows through it, a
// dead instance's socket file does not stop a start, simultaneous starts
// end with one owner, and what is not a request does nothing.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "platform/xdg/socket_program_info.h"

namespace kivo::xdg {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct FakeWindows : LocalWindows {
  bool ownsWindow(Hwnd h) override { return h == 7 || h == 9; }
  std::vector<Hwnd> ownWindows() override { return {7, 9}; }
  void showOwnWindow(Hwnd h, int cmd) override {
    calls.push_back("show " + std::to_string(h) + " " + std::to_string(cmd));
  }
  void raiseOwnWindow(Hwnd h) override { calls.push_back("raise " + std::to_string(h)); }
  std::string ownWindowTitle(Hwnd h) override { return h == 7 ? "Kivo" : "時報"; }
  std::vector<std::string> calls;
};

class SocketInstance : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kivo-instance-test.XXXXXX";
    base_ = ::mkdtemp(pattern);
    dir_ = base_ + "/kivo";
  }
  void TearDown() override { fs::remove_all(base_); }

  // The running instance's loop, until `done` holds or 5 s passed.
  static bool serveUntil(SocketProgramInfo& running, const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (!done()) {
      if (std::chrono::steady_clock::now() >= end) return false;
      pollfd p{running.fd(), POLLIN, 0};
      if (::poll(&p, 1, 20) > 0) running.dispatch();
    }
    return true;
  }

  // A raw client: connected to the instance, sends `bytes`.
  int rawClient(const std::string& bytes) {
    const int fd = connectToInstance(dir_ + "/instance.sock");
    EXPECT_GE(fd, 0);
    EXPECT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(bytes.size()));
    return fd;
  }

  std::string base_, dir_;
};

std::string bytesOf(const InstanceRequest& r) {
  return {reinterpret_cast<const char*>(&r), sizeof r};
}

TEST_F(SocketInstance, ASecondStartReachesTheRunningInstancesWindows) {
  FakeWindows windows;
  {
    SocketProgramInfo first(dir_);
    first.setLocalWindows(&windows);
    ASSERT_FALSE(first.previousInstance());
    ASSERT_GE(first.fd(), 0);
    EXPECT_EQ(fs::status(dir_).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(fs::status(first.socketPath()).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    SocketProgramInfo second(dir_);
    ASSERT_TRUE(second.previousInstance());
    EXPECT_EQ(second.fd(), -1);
    // The second start asks from a thread of its own; the first serves.
    LocalWindows& running = second.runningInstance();
    auto listed = std::async(std::launch::async, [&] { return running.ownWindows(); });
    ASSERT_TRUE(
        serveUntil(first, [&] { return listed.wait_for(0s) == std::future_status::ready; }));
    EXPECT_EQ(listed.get(), (std::vector<Hwnd>{7, 9}));
    EXPECT_EQ(running.ownWindowTitle(9), "時報");
    EXPECT_TRUE(running.ownsWindow(7));
    running.showOwnWindow(7, kSwShowNormal);
    running.raiseOwnWindow(9);
    running.showOwnWindow(5, kSwShowNormal);  // not the instance's: ignored
    ASSERT_TRUE(serveUntil(first, [&] { return windows.calls.size() >= 2; }));
    EXPECT_EQ(windows.calls, (std::vector<std::string>{"show 7 1", "raise 9"}));
  }
  // The file went with the instance: the next start owns at once.
  EXPECT_FALSE(fs::exists(dir_ + "/instance.sock"));
  EXPECT_FALSE(SocketProgramInfo(dir_).previousInstance());
}

TEST_F(SocketInstance, ADeadInstancesSocketFileDoesNotStopAStart) {
  // An instance killed outright leaves its socket file behind.
  const pid_t child = ::fork();
  if (child == 0) {
    SocketProgramInfo dying(dir_);
    std::_Exit(dying.ownsInstance() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_EQ(WEXITSTATUS(status), 0);
  ASSERT_TRUE(fs::is_socket(dir_ + "/instance.sock"));
  SocketProgramInfo next(dir_);
  EXPECT_FALSE(next.previousInstance());
  EXPECT_TRUE(next.ownsInstance());
  EXPECT_TRUE(SocketProgramInfo(dir_).previousInstance());
}

TEST_F(SocketInstance, SimultaneousStartsEndWithExactlyOneOwner) {
  constexpr int kStarts = 6;
  int go[2], said[2], end[2];
  ASSERT_EQ(::pipe(go), 0);
  ASSERT_EQ(::pipe(said), 0);
  ASSERT_EQ(::pipe(end), 0);
  std::vector<pid_t> children;
  for (int i = 0; i < kStarts; ++i) {
    const pid_t child = ::fork();
    if (child == 0) {
      ::close(end[1]);  // the parent's alone: its closing ends every child
      char byte;
      static_cast<void>(::read(go[0], &byte, 1));  // all start at once
      SocketProgramInfo start(dir_);
      const char answer = start.ownsInstance() ? 'O' : start.previousInstance() ? 'P' : '?';
      static_cast<void>(::write(said[1], &answer, 1));
      static_cast<void>(::read(end[0], &byte, 1));  // the owner lives on meanwhile
      std::_Exit(0);
    }
    children.push_back(child);
  }
  const std::string bytes(kStarts, 'g');
  ASSERT_EQ(::write(go[1], bytes.data(), bytes.size()), kStarts);
  std::string answers;
  while (answers.size() < kStarts) {
    char byte;
    ASSERT_EQ(::read(said[0], &byte, 1), 1);
    answers += byte;
  }
  ::close(end[1]);  // every child reads the end
  for (const pid_t child : children) ::waitpid(child, nullptr, 0);
  EXPECT_EQ(std::count(answers.begin(), answers.end(), 'O'), 1) << answers;
  EXPECT_EQ(std::count(answers.begin(), answers.end(), 'P'), kStarts - 1) << answers;
}

TEST_F(SocketInstance, WhatIsNotOneRequestDoesNothingAndStallsNothing) {
  FakeWindows windows;
  SocketProgramInfo first(dir_);
  first.setLocalWindows(&windows);
  InstanceRequest show;
  show.kind = kRequestShow;
  show.window = 7;
  InstanceRequest wrongMagic = show;
  wrongMagic.magic = 0x12345678;
  InstanceRequest raise;
  raise.kind = kRequestRaise;
  raise.window = 9;
  std::vector<int> fds = {
      rawClient(bytesOf(wrongMagic)),
      rawClient(bytesOf(show) + std::string(4096, 'x')),  // oversized
      rawClient(std::string(16, '\0')),
  };
  // Silent clients beyond the limit push the oldest out, not the next start.
  for (std::size_t i = 0; i < SocketProgramInfo::kMaxClients + 4; ++i) fds.push_back(rawClient(""));
  const int slow = rawClient(bytesOf(show).substr(0, 5));  // never finishes
  fds.push_back(slow);
  fds.push_back(rawClient(bytesOf(raise)));
  ASSERT_TRUE(serveUntil(first, [&] { return !windows.calls.empty(); }));
  // The unfinished client is let go after its deadline.
  ASSERT_TRUE(serveUntil(first, [&] {
    char byte;
    return ::recv(slow, &byte, 1, MSG_DONTWAIT) == 0;
  }));
  EXPECT_EQ(windows.calls, (std::vector<std::string>{"raise 9"}));
  for (const int fd : fds) ::close(fd);
}

TEST_F(SocketInstance, OnlyAPrivateDirectoryOfThisUserIsUsed) {
  ::setenv("XDG_RUNTIME_DIR", "/run/user/1000", 1);
  EXPECT_EQ(instanceDirectory(), "/run/user/1000/kivo");
  ::unsetenv("XDG_RUNTIME_DIR");
  ::setenv("TMPDIR", base_.c_str(), 1);
  EXPECT_EQ(instanceDirectory(), base_ + "/kivo-" + std::to_string(::getuid()));
  ::unsetenv("TMPDIR");
  // A link where the directory belongs (someone else's in a shared /tmp)
  // is not followed: the start runs alone and owns nothing.
  fs::create_directory(base_ + "/elsewhere");
  fs::create_directory_symlink(base_ + "/elsewhere", dir_);
  SocketProgramInfo start(dir_);
  EXPECT_FALSE(start.previousInstance());
  EXPECT_FALSE(start.ownsInstance());
  EXPECT_TRUE(fs::is_empty(base_ + "/elsewhere"));
  fs::remove(dir_);
  // A directory left open to others is closed again (the system then keeps
  // every other user from the socket in it).
  fs::create_directory(dir_);
  fs::permissions(dir_, fs::perms::all);
  SocketProgramInfo owner(dir_);
  ASSERT_TRUE(owner.ownsInstance());
  EXPECT_EQ(fs::status(dir_).permissions() & fs::perms::all, fs::perms::owner_all);
}

}  // namespace
}  // namespace kivo::xdg
