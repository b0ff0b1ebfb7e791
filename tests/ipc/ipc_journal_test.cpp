// The journal's file: records of another compositor session, or of a
// window whose numbers now name another container, are never listed.
#include "platform/ipc/ipc_journal.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace kivo::ipc {
namespace {

namespace fs = std::filesystem;

// A bound UNIX socket standing for a compositor session.
struct Session {
  explicit Session(const fs::path& path) : path(path.string()) {
    fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    std::snprintf(a.sun_path, sizeof a.sun_path, "%s", this->path.c_str());
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  }
  ~Session() { end(); }
  void end() {
    if (fd >= 0) ::close(fd), ::unlink(path.c_str());
    fd = -1;
  }
  std::string path;
  int fd = -1;
};

TEST(IpcJournal, ListsOnlyThisSessionsRecordsOfWindowsThatStillExist) {
  const fs::path dir =
      fs::temp_directory_path() / ("kivo-ipc-journal-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string file = (dir / "journal.json").string();
  std::map<Hwnd, std::uint64_t> containers = {{5, 50}, {6, 60}};
  const auto containerOf = [&](Hwnd h) -> std::optional<std::uint64_t> {
    const auto it = containers.find(h);
    if (it == containers.end()) return std::nullopt;
    return it->second;
  };
  Session first(dir / "first.sock"), second(dir / "second.sock");
  IpcDecorationJournal one(file, first.path, containerOf);
  IpcDecorationJournal other(file, second.path, containerOf);
  one.remember(5, "12:34 = Editor", "Editor");
  one.remember(6, "メール 😀 12:34", "メール 😀");
  other.remember(5, "other session", "Editor");
  EXPECT_EQ(IpcDecorationJournal(file, first.path, containerOf).leftOver().size(), 2u);
  ASSERT_EQ(other.leftOver().size(), 1u);
  EXPECT_EQ(other.leftOver()[0].written, "other session");
  // Window 6's handle now names another container: not its record.
  containers[6] = 61;
  EXPECT_EQ(one.leftOver(), (std::vector<DecorationRecord>{{5, "12:34 = Editor", "Editor"}}));
  // A session whose socket has gone is dropped at the next write.
  second.end();
  one.forget(5);
  std::ifstream in(file);
  const std::string content((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(content.find("other session"), std::string::npos);
  EXPECT_NE(content.find("メール"), std::string::npos);
  // A file that is not a journal reads as an empty one.
  std::ofstream(file) << "not json";
  EXPECT_TRUE(one.leftOver().empty());
  fs::remove_all(dir);
}

}  // namespace
}  // namespace kivo::ipc
