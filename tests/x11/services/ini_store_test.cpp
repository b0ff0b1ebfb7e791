// The INI settings store: where it lives, what is the INI file's own,
// concurrent writers, files it must never destroy, and refused writes (each
// step that can fail refuses with error 5 and a reason naming the file, and
// leaves the settings file as it was). The tests run as root, so nothing
// here relies on permissions.
#include "platform/x11/ini_store.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "tests/unit/error_of.h"
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

using kivo::testing::errorOf;
using testing::readFile;
using testing::ScopedEnv;
using testing::ScratchDirTest;
using testing::writeFile;
using namespace std::string_literals;
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

class IniStoreTest : public ScratchDirTest {
 protected:
  std::string path = dir / "config/kivo/settings.ini";
  std::vector<std::string> problems;
  IniStore store{path, [this](const std::string& m) { problems.push_back(m); }};
};

TEST(IniStorePath, FollowsTheXdgRules) {
  const ScopedEnv home("HOME", "/home/someone");
  {
    const ScopedEnv xdg("XDG_CONFIG_HOME", "/elsewhere/conf/");
    EXPECT_EQ(IniStore::defaultPath(), "/elsewhere/conf/kivo/settings.ini");
  }
  // Unset, empty or relative: ignored.
  for (const char* value : {static_cast<const char*>(nullptr), "", "relative/conf"}) {
    const ScopedEnv xdg("XDG_CONFIG_HOME", value);
    EXPECT_EQ(IniStore::defaultPath(), "/home/someone/.config/kivo/settings.ini");
  }
}

TEST_F(IniStoreTest, FirstWriteCreatesTheDirectoriesAndTheFile) {
  EXPECT_EQ(store.getSetting("Main", "Interval", "250"), "250");
  EXPECT_FALSE(fs::exists(dir / "config"));  // reading creates nothing
  EXPECT_EQ(errorOf([&] { store.deleteSetting("Main", "Absent"); }), kErrInvalidCall);
  EXPECT_FALSE(fs::exists(path));  // nor does a failing delete write the file

  store.saveSetting("Main", "Interval", "50");
  EXPECT_EQ(readFile(path), "[Main]\nInterval=50\n");
  struct stat st {};
  ASSERT_EQ(::stat((dir / "config/kivo").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_TRUE(problems.empty());
}

// Values survive verbatim, and a fresh store object (a companion) sees every
// write, by the settings contract (kivo_contract_ini); what is the INI
// file's own: names ignore ASCII case only, and text ends at its first NUL
// as in the registry.
TEST_F(IniStoreTest, NamesIgnoreAsciiCaseOnlyAndValuesEndAtANul) {
  store.saveSetting("Plug in", "K0", "first");
  IniStore other(path);  // a fresh reader, as the next run or a companion
  EXPECT_EQ(other.getSetting("PLUG IN", "k0", "<none>"), "first");
  store.saveSetting("plug in", "k0", "replaced");  // the same key: replaced, not added
  EXPECT_EQ(other.getSetting("Plug in", "K0", "<none>"), "replaced");
  EXPECT_EQ(readFile(path)->find("k0="), std::string::npos);
  EXPECT_EQ(errorOf([&] { other.deleteSetting("PLUG IN", "K0"); }), 0);
  EXPECT_EQ(store.getSetting("Plug in", "K0", "<none>"), "<none>");

  store.saveSetting("Main", "Nul", std::string("ab\0cd", 5));
  EXPECT_EQ(store.getSetting("Main", "Nul", ""), "ab");
  store.saveSetting("Main", "時計", "1");
  EXPECT_EQ(store.getSetting("Main", "時計", "0"), "1");
  EXPECT_TRUE(problems.empty());
}

TEST_F(IniStoreTest, EditsKeepEverythingElseAsItWas) {
  const std::string before =
      "\xEF\xBB\xBF; Kivo settings, edited by hand\r\n"
      "TopLevel=kept\r\n"
      "\r\n"
      "[Main]\r\n"
      "  Interval = 250\r\n"
      "# a comment between keys\r\n"
      "Unknown=x;y,z\r\n"
      "\r\n"
      "[Companion]\r\n"
      "Mine=1\r\n"
      "[Main]\r\n"
      "Later=2";  // no line end at the very end
  writeFile(path, before);
  EXPECT_EQ(store.getSetting("Main", "Interval", ""), " 250");
  EXPECT_EQ(store.getSetting("Main", "Later", ""), "2");  // a second block of the section

  store.saveSetting("Main", "Interval", " 50 ");  // in place, spaces kept
  store.saveSetting("Main", "Added", "a");        // after the section's last key
  store.saveSetting("Plug in", "KivoXX", "1");    // a new section at the end
  store.deleteSetting("Companion", "Mine");       // the section line stays
  EXPECT_EQ(readFile(path),
            "\xEF\xBB\xBF; Kivo settings, edited by hand\r\n"
            "TopLevel=kept\r\n"
            "\r\n"
            "[Main]\r\n"
            "  Interval = 50 \r\n"
            "# a comment between keys\r\n"
            "Unknown=x;y,z\r\n"
            "Added=a\r\n"
            "\r\n"
            "[Companion]\r\n"
            "[Main]\r\n"
            "Later=2\r\n"
            "\r\n"
            "[Plug in]\r\n"
            "KivoXX=1\r\n");
  // Saving a value the file already holds leaves the file alone.
  struct stat first {
  }, second{};
  ASSERT_EQ(::stat(path.c_str(), &first), 0);
  store.saveSetting("Main", "Later", "2");
  ASSERT_EQ(::stat(path.c_str(), &second), 0);
  EXPECT_EQ(second.st_ino, first.st_ino);
}

TEST_F(IniStoreTest, WhatOneLineCannotHoldIsRefusedBeforeAnyWrite) {
  store.saveSetting("Main", "Kept", "1");
  const auto before = readFile(path);
  const std::vector<std::array<std::string, 3>> unstorable = {{"Main", "Message", "two\nlines"},
                                                              {"Main", "Message", "cr\r"},
                                                              {"Main", "Message", "bad \xFF utf-8"},
                                                              {"Main", "a=b", "1"},
                                                              {"Main", " padded", "1"},
                                                              {"Main", "", "1"},
                                                              {"Ma\nin", "Key", "1"}};
  for (const auto& [section, key, value] : unstorable) {
    EXPECT_EQ(errorOf([&] { store.saveSetting(section, key, value); }), kErrInvalidCall)
        << section << "/" << key << "=" << value;
  }
  EXPECT_EQ(readFile(path), before);
}

TEST_F(IniStoreTest, AnUnusableFileGivesDefaultsOneMessageAndIsNeverOverwritten) {
  const std::vector<std::string> broken = {
      "[Main]\nInterval=50\n\xC3\x28 bad utf-8\n", "[Main]\nInterval=50\n\0\x01\x02 binary"s,
      "[Main]\nInterval=50\njust some words\n",    "[Main]\nInterval=50\n[Plug in\n",
      "[Main]\nInterval=50\nOther=1\rMore=2\n",
  };
  for (const std::string& content : broken) {
    writeFile(path, content);
    problems.clear();
    IniStore fresh(path, [this](const std::string& m) { problems.push_back(m); });
    EXPECT_EQ(fresh.getSetting("Main", "Interval", "250"), "250");
    EXPECT_EQ(fresh.getSetting("Main", "Interval", "250"), "250");
    EXPECT_EQ(errorOf([&] { fresh.saveSetting("Main", "Interval", "10"); }), kErrInvalidCall);
    EXPECT_EQ(errorOf([&] { fresh.deleteSetting("Main", "Interval"); }), kErrInvalidCall);
    EXPECT_EQ(readFile(path), content);
    ASSERT_EQ(problems.size(), 1u) << content;
    EXPECT_NE(problems[0].find(path), std::string::npos) << problems[0];
    EXPECT_NE(problems[0].find("line 3"), std::string::npos) << problems[0];
  }

  // Repaired, it is used again; broken again, it is reported again.
  writeFile(path, "[Main]\nInterval=50\n");
  EXPECT_EQ(store.getSetting("Main", "Interval", "250"), "50");
  writeFile(path, broken[2]);
  store.getSetting("Main", "Interval", "250");
  store.getSetting("Main", "Interval", "250");
  EXPECT_EQ(problems.size(), 2u);

  // A refused write tells its problem without holding the lock, so a
  // companion never waits for the user to read the message.
  bool lockFree = false;
  IniStore writer(path, [&](const std::string&) {
    const int fd = ::open((path + ".lock").c_str(), O_RDWR | O_CLOEXEC);
    lockFree = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (fd >= 0) ::close(fd);
  });
  EXPECT_EQ(errorOf([&] { writer.saveSetting("Main", "Interval", "10"); }), kErrInvalidCall);
  EXPECT_TRUE(lockFree);

  // Not a file at all: the same.
  fs::remove(path);
  fs::create_directories(path);
  EXPECT_EQ(store.getSetting("Main", "Interval", "250"), "250");
  EXPECT_EQ(errorOf([&] { store.saveSetting("Main", "Interval", "10"); }), kErrInvalidCall);
  EXPECT_EQ(problems.size(), 3u);
  EXPECT_TRUE(fs::is_directory(path));
}

TEST_F(IniStoreTest, ALinkedFileStaysALink) {
  const std::string real = dir / "dotfiles/kivo.ini";
  writeFile(real, "[Main]\nA=1\n");
  fs::permissions(real, fs::perms(0640));
  fs::create_directories(dir / "config/kivo");
  fs::create_symlink(real, path);
  store.saveSetting("Main", "B", "2");
  EXPECT_TRUE(fs::is_symlink(path));
  EXPECT_EQ(readFile(real), "[Main]\nA=1\nB=2\n");
  EXPECT_EQ(fs::status(real).permissions(), fs::perms(0640));
}

TEST_F(IniStoreTest, TwoProcessesWritingAtOnceLoseNothing) {
  constexpr int kWrites = 200;
  store.saveSetting("Main", "Start", "1");
  std::vector<pid_t> children;
  for (const std::string name : {"A", "B"}) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      try {
        IniStore own(path);
        for (int i = 0; i < kWrites; ++i) own.saveSetting("Main", name + std::to_string(i), "v");
      } catch (...) {
        ::_exit(1);
      }
      ::_exit(0);
    }
    children.push_back(pid);
  }
  for (const pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  int found = store.getSetting("Main", "Start", "") == "1";
  for (const std::string name : {"A", "B"}) {
    for (int i = 0; i < kWrites; ++i)
      found += store.getSetting("Main", name + std::to_string(i), "") == "v";
  }
  EXPECT_EQ(found, 2 * kWrites + 1);
  expectOnly(dir / "config/kivo", {"settings.ini", "settings.ini.lock"});
}

TEST_F(IniStoreTest, EveryFailingStepRefusesWithItsReasonAndLeavesTheFileAsItWas) {
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
  writeFile(path, original);
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
  expectOnly(dir / "config/kivo", {"settings.ini", "settings.ini.lock"});

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
