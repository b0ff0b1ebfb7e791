// Opening files: programs started directly and detached, everything else
// handed to xdg-open (a fake one on PATH), never through a shell.
#include "platform/x11/linux_shell.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "tests/x11/services/test_dir.h"

namespace kivo::x11 {
namespace {

using testing::readFile;
using testing::ScopedEnv;
using testing::ScratchDirTest;
using testing::writeFile;

void writeScript(const std::string& path, const std::string& body) {
  writeFile(path, "#!/bin/sh\n" + body);
  ::chmod(path.c_str(), 0755);
}

// The marker a started program leaves, once it is complete (the scripts
// write it under another name and rename it).
std::optional<std::string> waitForMarker(const std::string& path) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    if (auto text = readFile(path)) return text;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));  // a poll under a deadline
  }
  return std::nullopt;
}

// A script that records its arguments, working directory, standard input,
// parent and session.
std::string recorder(const std::string& marker) {
  return "{ printf '%s|' \"$@\"; echo; pwd; readlink /proc/self/fd/0;"
         " sed 's/.*) //' /proc/$$/stat | cut -d' ' -f2,4; } > '" +
         marker + ".part' && mv '" + marker + ".part' '" + marker + "'\n";
}

class LinuxShellTest : public ScratchDirTest {
 protected:
  std::string marker = dir / "marker";
  LinuxShell shell;
};

TEST_F(LinuxShellTest, AProgramIsStartedDirectlyAndDetached) {
  writeScript(dir / "alarm program", recorder(marker));
  std::filesystem::create_directories(dir / "work");
  shell.shellExecute(0, "open", dir / "alarm program", "one \"two words\" $HOME;x", dir / "work",
                     kSwShowNormal);
  // Nothing of it is left for Kivo to reap: no zombie.
  errno = 0;
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);

  const auto seen = waitForMarker(marker);
  ASSERT_TRUE(seen);
  std::istringstream lines(*seen);
  std::string args, cwd, stdinPath;
  long parent = 0, session = 0;
  std::getline(lines, args);
  std::getline(lines, cwd);
  std::getline(lines, stdinPath);
  lines >> parent >> session;
  EXPECT_EQ(args, "one|two words|$HOME;x|");  // no shell expanded anything
  EXPECT_EQ(cwd, dir / "work");
  EXPECT_EQ(stdinPath, "/dev/null");
  EXPECT_GT(parent, 0);
  EXPECT_NE(parent, ::getpid());
  EXPECT_GT(session, 0);
  EXPECT_NE(session, ::getsid(0));
}

TEST_F(LinuxShellTest, AnythingElseGoesToXdgOpenAsOneArgument) {
  writeScript(dir / "bin/xdg-open", recorder(marker));
  const ScopedEnv path("PATH", (dir / "bin:/usr/bin:/bin").c_str());

  // A document, named with what a shell would act on; a relative name is
  // taken from the directory.
  const std::string name = "-a b;$(touch pwned)`id`'\".txt";
  writeFile(dir / name, "text\n");
  shell.shellExecute(0, "open", name, "", dir.str(), kSwShowNormal);
  auto seen = waitForMarker(marker);
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->substr(0, seen->find('\n')), dir / name + "|");
  EXPECT_FALSE(std::filesystem::exists(dir / "pwned"));
  std::filesystem::remove(marker);

  // Not programs: a file without the execute permission, a directory.
  writeFile(dir / "notes.sh", "#!/bin/sh\ntouch '" + (dir / "ran") + "'\n");
  for (const std::string& target :
       {dir / "notes.sh", dir / "bin", std::string("https://x.example/")}) {
    shell.shellExecute(0, "", target, "", "", kSwShowNormal);
    seen = waitForMarker(marker);
    ASSERT_TRUE(seen) << target;
    EXPECT_EQ(seen->substr(0, seen->find('\n')), target + "|");
    std::filesystem::remove(marker);
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "ran"));
}

TEST_F(LinuxShellTest, FailuresAreSilent) {
  writeScript(dir / "bin/xdg-open", recorder(marker));
  {
    const ScopedEnv path("PATH", (dir / "nothing-here").c_str());  // no xdg-open at all
    shell.shellExecute(0, "open", dir / "missing.txt", "", "", kSwShowNormal);
  }
  const ScopedEnv path("PATH", (dir / "bin:/usr/bin:/bin").c_str());
  shell.shellExecute(0, "print", dir / "printed.txt", "", "", kSwShowNormal);  // no such verb
  shell.shellExecute(0, "open", "", "", "", kSwShowNormal);
  // A program in a directory that does not exist never starts.
  writeScript(dir / "prog", "touch '" + (dir / "ran") + "'\n");
  shell.shellExecute(0, "open", dir / "prog", "", dir / "no/such/dir", kSwShowNormal);
  // The last request is one that works: once it has been carried out, the
  // ones before would have been too.
  shell.shellExecute(0, "open", dir / "missing.txt", "", "", kSwShowNormal);
  const auto seen = waitForMarker(marker);
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->substr(0, seen->find('\n')), dir / "missing.txt|");
  EXPECT_FALSE(std::filesystem::exists(dir / "ran"));
}

}  // namespace
}  // namespace kivo::x11
