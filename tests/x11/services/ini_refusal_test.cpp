// The INI store's refused writes: each step that can fail (the folder, the
// lock, the new file, the rename, an unusable file) refuses with error 5
// and a reason naming the file, and leaves the settings file as it was.
// The tests run as root, so nothing here relies on permissions.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

#include "platform/errors.h"
#include "platform/x11/ini_store.h"
#include "tests/x11/services/test_dir.h"

// The rename the store calls fails with this error number while it is not 0:
// nothing else makes a rename fail for root beside a file it could read.
static int g_renameError = 0;

extern "C" int rename(const char* from, const char* to) {
  if (g_renameError != 0) {
    errno = g_renameError;
    return -1;
  }
  using Rename = int (*)(const char*, const char*);
  static const auto real = reinterpret_cast<Rename>(::dlsym(RTLD_NEXT, "rename"));
  return real(from, to);
}

namespace kivo::x11 {
namespace {

using testing::readFile;
using testing::ScratchDirTest;
using testing::writeFile;
namespace fs = std::filesystem;

// The refusal's text; fails the test when the save went through or raised
// another error.
std::string refusalOf(IniStore& store) {
  try {
    store.saveSetting("Main", "ClockRight", "1");
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), kErrInvalidCall);
    return e.description();
  }
  ADD_FAILURE() << "the save went through";
  return {};
}

// Nothing but `names` in the folder: no temporary file left behind.
void expectOnly(const std::string& folder, std::set<std::string> names) {
  std::set<std::string> found;
  for (const auto& e : fs::directory_iterator(folder)) found.insert(e.path().filename());
  EXPECT_EQ(found, names);
}

using IniRefusal = ScratchDirTest;

TEST_F(IniRefusal, EveryFailingStepRefusesWithItsReasonAndLeavesTheFileAsItWas) {
  const std::string original = "[Main]\nClockRight=0\n";

  // The folder cannot be made: a regular file stands where it must go.
  writeFile(dir / "plain", "not a folder");
  IniStore underFile(dir / "plain/kivo/settings.ini");
  EXPECT_EQ(refusalOf(underFile), "The settings file " + (dir / "plain/kivo/settings.ini") +
                                      " cannot be saved: " + (dir / "plain") +
                                      " is not a directory.");
  EXPECT_EQ(readFile(dir / "plain"), "not a folder");
  // ... or the system refuses to make it (a name longer than any folder's).
  const std::string tooLong = dir / std::string(300, 'k');
  IniStore longName(tooLong + "/settings.ini");
  EXPECT_NE(refusalOf(longName).find("cannot create " + tooLong + " (File name too long)"),
            std::string::npos);

  // The lock cannot be taken: its file is a folder, or another writer keeps it.
  const std::string path = dir / "config/settings.ini";
  writeFile(path, original);
  IniStore store(path);
  fs::create_directory(path + ".lock");
  EXPECT_NE(refusalOf(store).find("cannot open the lock file " + path + ".lock (Is a directory)"),
            std::string::npos);
  fs::remove(path + ".lock");
  {
    const int held = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    EXPECT_NE(refusalOf(store).find("another program has kept " + path + ".lock locked"),
              std::string::npos);
    ::close(held);
  }
  EXPECT_EQ(readFile(path), original);

  // The new file cannot be put in place; it is removed again.
  g_renameError = EXDEV;
  const std::string renameRefusal = refusalOf(store);
  g_renameError = 0;
  EXPECT_NE(renameRefusal.find("cannot put the new file in place of " + path +
                               " (Invalid cross-device link)"),
            std::string::npos)
      << renameRefusal;
  EXPECT_EQ(readFile(path), original);
  expectOnly(dir / "config", {"settings.ini", "settings.ini.lock"});

  // The new file cannot be made beside the file a link leads to (its name
  // leaves no room for the temporary suffix).
  const std::string longTarget = dir / ("config/" + std::string(250, 't'));
  writeFile(longTarget, original);
  const std::string linked = dir / "linked/settings.ini";
  fs::create_directories(dir / "linked");
  fs::create_symlink(longTarget, linked);
  IniStore throughLink(linked);
  EXPECT_NE(refusalOf(throughLink).find("cannot create a file in " + (dir / "config")),
            std::string::npos);
  EXPECT_EQ(readFile(longTarget), original);

  // An unusable file: the reason names it and the line, and it is kept.
  const std::string broken = "[Main]\nClockRight=0\nnot a setting\n";
  writeFile(path, broken);
  EXPECT_EQ(refusalOf(store), "The settings file " + path +
                                  " is not a settings file: line 3 is neither a [section], a "
                                  "key=value line, a comment nor blank. Kivo leaves it as it is "
                                  "until it is repaired or removed.");
  EXPECT_EQ(readFile(path), broken);
}

}  // namespace
}  // namespace kivo::x11
