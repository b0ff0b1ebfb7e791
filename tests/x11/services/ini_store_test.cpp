// The INI settings store: where it lives, verbatim values, companions'
// edits and concurrent writers, and files it must never destroy.
#include "platform/x11/ini_store.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "tests/x11/services/test_dir.h"

namespace kivo::x11 {
namespace {

using testing::readFile;
using testing::ScopedEnv;
using testing::ScratchDirTest;
using testing::writeFile;
using namespace std::string_literals;

// The error number `f` raises, 0 when none.
template <class F>
int errorOf(F&& f) {
  try {
    f();
  } catch (const RuntimeError& e) {
    return e.number();
  }
  return 0;
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
  EXPECT_FALSE(std::filesystem::exists(dir / "config"));  // reading creates nothing

  store.saveSetting("Main", "Interval", "50");
  EXPECT_EQ(readFile(path), "[Main]\nInterval=50\n");
  struct stat st {};
  ASSERT_EQ(::stat((dir / "config/kivo").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_TRUE(problems.empty());
}

// Values survive verbatim by the settings contract (kivo_contract_ini);
// what is the INI file's own: names ignore ASCII case only, and text ends at
// its first NUL as in the registry.
TEST_F(IniStoreTest, NamesIgnoreAsciiCaseOnlyAndValuesEndAtANul) {
  store.saveSetting("Plug in", "K0", "first");
  IniStore other(path);  // a fresh reader, as the next run or a companion
  EXPECT_EQ(other.getSetting("PLUG IN", "k0", "<none>"), "first");
  store.saveSetting("plug in", "k0", "replaced");  // the same key: replaced, not added
  EXPECT_EQ(other.getSetting("Plug in", "K0", "<none>"), "replaced");
  EXPECT_EQ(readFile(path)->find("k0="), std::string::npos);

  store.saveSetting("Main", "Nul", std::string("ab\0cd", 5));
  EXPECT_EQ(store.getSetting("Main", "Nul", ""), "ab");
  store.saveSetting("Main", "時計", "1");
  EXPECT_EQ(store.getSetting("Main", "時計", "0"), "1");
  EXPECT_TRUE(problems.empty());
}

TEST_F(IniStoreTest, ACompanionsEditIsSeenAtTheNextRead) {
  writeFile(path, "[Main]\nXXFormat=%h:nn%\n");
  EXPECT_EQ(store.getSetting("Main", "XXFormat", ""), "%h:nn%");
  writeFile(path, "[Main]\nXXFormat=%h:nn:ss% \n[Plug in]\nKivoXX=1\n");
  EXPECT_EQ(store.getSetting("Main", "XXFormat", ""), "%h:nn:ss% ");
  EXPECT_EQ(store.getSetting("Plug in", "KivoXX", "0"), "1");
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

  store.saveSetting("Main", "Interval", "50");  // in place, key spelling kept
  store.saveSetting("Main", "Added", "a");      // after the section's last key
  store.saveSetting("Plug in", "KivoXX", "1");  // a new section at the end
  store.deleteSetting("Companion", "Mine");     // the section line stays
  EXPECT_EQ(readFile(path),
            "\xEF\xBB\xBF; Kivo settings, edited by hand\r\n"
            "TopLevel=kept\r\n"
            "\r\n"
            "[Main]\r\n"
            "  Interval =50\r\n"
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

// Error 5 itself is the settings contract's; here: a failing delete writes
// nothing, and names match in any ASCII case.
TEST_F(IniStoreTest, DeletingAMissingKeyWritesNothing) {
  EXPECT_EQ(errorOf([&] { store.deleteSetting("Main", "Absent"); }), kErrInvalidCall);
  EXPECT_FALSE(std::filesystem::exists(path));
  store.saveSetting("Main", "Present", "1");
  EXPECT_EQ(errorOf([&] { store.deleteSetting("main", "PRESENT"); }), 0);
  EXPECT_EQ(readFile(path), "[Main]\n");
}

TEST_F(IniStoreTest, WhatOneLineCannotHoldIsRefusedBeforeAnyWrite) {
  store.saveSetting("Main", "Kept", "1");
  const auto before = readFile(path);
  EXPECT_EQ(errorOf([&] { store.saveSetting("Main", "Message", "two\nlines"); }), kErrInvalidCall);
  EXPECT_EQ(errorOf([&] { store.saveSetting("Main", "Message", "cr\r"); }), kErrInvalidCall);
  EXPECT_EQ(errorOf([&] { store.saveSetting("Main", "Message", "bad \xFF utf-8"); }),
            kErrInvalidCall);
  EXPECT_EQ(errorOf([&] { store.saveSetting("Main", "a=b", "1"); }), kErrInvalidCall);
  EXPECT_EQ(errorOf([&] { store.saveSetting("Main", " padded", "1"); }), kErrInvalidCall);
  EXPECT_EQ(errorOf([&] { store.saveSetting("Main", "", "1"); }), kErrInvalidCall);
  EXPECT_EQ(errorOf([&] { store.saveSetting("Ma\nin", "Key", "1"); }), kErrInvalidCall);
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
  std::filesystem::remove(path);
  std::filesystem::create_directories(path);
  EXPECT_EQ(store.getSetting("Main", "Interval", "250"), "250");
  EXPECT_EQ(errorOf([&] { store.saveSetting("Main", "Interval", "10"); }), kErrInvalidCall);
  EXPECT_EQ(problems.size(), 3u);
  EXPECT_TRUE(std::filesystem::is_directory(path));
}

TEST_F(IniStoreTest, ALinkedFileStaysALink) {
  const std::string real = dir / "dotfiles/kivo.ini";
  writeFile(real, "[Main]\nA=1\n");
  std::filesystem::permissions(real, std::filesystem::perms(0640));
  std::filesystem::create_directories(dir / "config/kivo");
  std::filesystem::create_symlink(real, path);
  store.saveSetting("Main", "B", "2");
  EXPECT_TRUE(std::filesystem::is_symlink(path));
  EXPECT_EQ(readFile(real), "[Main]\nA=1\nB=2\n");
  EXPECT_EQ(std::filesystem::status(real).permissions(), std::filesystem::perms(0640));
}

TEST_F(IniStoreTest, TwoProcessesWritingAtOnceLoseNothing) {
  constexpr int kWrites = 200;
  store.saveSetting("Main", "Start", "1");
  std::vector<pid_t> children;
  for (const char* name : {"A", "B"}) {
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      int status = 0;
      try {
        IniStore own(path);
        for (int i = 0; i < kWrites; ++i) {
          own.saveSetting(i % 2 ? "Main" : "Plug in", std::string(name) + std::to_string(i),
                          std::to_string(i));
        }
      } catch (...) {
        status = 1;
      }
      ::_exit(status);
    }
    children.push_back(pid);
  }
  for (const pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  int found = 0;
  for (const char* name : {"A", "B"}) {
    for (int i = 0; i < kWrites; ++i) {
      found += store.getSetting(i % 2 ? "Main" : "Plug in", std::string(name) + std::to_string(i),
                                "") == std::to_string(i);
    }
  }
  EXPECT_EQ(found, 2 * kWrites);
  EXPECT_EQ(store.getSetting("Main", "Start", ""), "1");
  // No temporary file is left behind.
  int files = 0;
  for ([[maybe_unused]] const auto& entry :
       std::filesystem::directory_iterator(dir / "config/kivo")) {
    ++files;
  }
  EXPECT_EQ(files, 2);  // settings.ini and its lock file
}

}  // namespace
}  // namespace kivo::x11
