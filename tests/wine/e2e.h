#pragma once
// What the end-to-end tests of kivo.exe stand on: real top-level windows on
// threads of their own, the kivo.exe process, its settings in the registry,
// and waiting for what a user would see, always with a deadline.

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <thread>

namespace kivo::e2e {

using Ms = std::chrono::milliseconds;
using SteadyClock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// How long kivo.exe may take from its start to its first clock: Wine's
// first program on a new display starts Wine's own desktop processes too.
inline constexpr Ms kStartUp = 30s;

// Polls `condition` every 10 ms until it holds (true) or `timeout` has
// passed (false). The condition is tried once more at the deadline.
bool waitFor(const std::function<bool()>& condition, Ms timeout);

// The whole title of a window as the system keeps it (what its title bar
// shows); never blocks on a hung window.
std::wstring windowText(HWND h);

// The clock of the standard template with the settings of a fresh store:
// "9:05,Dec,5" (24-hour time, the month, the day).
const std::wregex& standardClock();

// Does `caption` show `title` decorated with a clock matching `clock` on
// the left: clock, separator, title?
bool decoratedLeft(const std::wstring& caption, const std::wstring& title, const std::wstring& sep,
                   const std::wregex& clock = standardClock());

// A top-level window of a class of its own, made and served by a thread of
// its own, as another program's window would be. It counts the moves
// others make of it (kivo.exe is another process).
class TestWindow {
 public:
  TestWindow(std::wstring className, std::wstring title);
  ~TestWindow();
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  std::wstring text() const { return windowText(hwnd_); }
  // Does the title show the standard clock left of the window's own latest
  // title, with " = "?
  bool decorated() const { return decoratedLeft(text(), ownTitle_, L" = "); }
  // Wait up to `timeout` for the clock, or for the window's own title alone.
  bool waitDecorated(Ms timeout = 5s) const;
  bool waitOwnTitle(Ms timeout = 5s) const;
  // The window sets its own title (on its own thread) and this waits until
  // it has.
  void retitle(const std::wstring& title);
  // The window makes itself the foreground window; true once it is.
  bool bringToFront();
  // Keeps the window in front until `condition` holds or `timeout` has
  // passed. Kivo's start-up shows and hides its own main window, which
  // takes the front for a moment; the user then clicks the window again.
  bool frontUntil(const std::function<bool()>& condition, Ms timeout);
  // Its thread stops taking messages until release(); as a program that
  // hangs. Nothing else of the window works meanwhile.
  void hang();
  void release();
  // How often the window was moved. It never moves itself, so every move is
  // another program's (which may post it: then the window's own thread
  // carries it out).
  int moves() const { return moves_.load(); }
  RECT rect() const;

 private:
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT message(UINT msg, WPARAM wp, LPARAM lp);
  void run();

  std::wstring className_;
  std::wstring ownTitle_;
  HWND hwnd_ = nullptr;
  HANDLE ready_ = nullptr;
  HANDLE released_ = nullptr;
  std::thread thread_;
  std::atomic<int> moves_{0};
};

// A text value under HKEY_CURRENT_USER\<key>, or nothing when it (or its
// key) does not exist; and a write of one, which makes the key if missing.
std::optional<std::wstring> registryText(const std::wstring& key, const std::wstring& name);
void setRegistryText(const std::wstring& key, const std::wstring& name, const std::wstring& value);

// The settings in the registry, where kivo.exe keeps them: one key per
// section under this one.
inline constexpr const wchar_t* kStoreRoot =
    L"Software\\VB and VBA Program Settings\\Kivo for Windows NT/95";
namespace store {
// Removes every setting, so that each test starts from a fresh store.
void reset();
inline void set(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
  setRegistryText(std::wstring(kStoreRoot) + L"\\" + section, key, value);
}
}  // namespace store

// A store as after installation, with the quickest tick so that a test
// waits 50 ms per step instead of 250.
// Kivo speaks Japanese whatever Wine's language is: the tests find its
// windows and boxes by their Japanese texts.
inline void freshStore() {
  store::reset();
  store::set(L"Main", L"CheckInterval", L"50");
  store::set(L"Main", L"Language", L"ja");
}

// The window class and caption of kivo.exe's main window.
inline constexpr const wchar_t* kFormClass = L"ThunderRT5Form";
inline constexpr const wchar_t* kMainCaption = L"Kivo for Windows NT/95";

// A kivo.exe process of the test: build-win32/kivo.exe beside the tests, or
// another program (an installed one).
class KivoProcess {
 public:
  explicit KivoProcess(const std::wstring& program = programPath());
  // A process still running at the end of a test is shut down, and the
  // test fails: every test ends Kivo itself.
  ~KivoProcess();
  KivoProcess(const KivoProcess&) = delete;
  KivoProcess& operator=(const KivoProcess&) = delete;

  static std::wstring programPath();
  DWORD pid() const { return info_.dwProcessId; }
  HANDLE process() const { return info_.hProcess; }
  // Waits up to `timeout` for the process to end; true when it has.
  bool waitExit(Ms timeout);
  DWORD exitCode() const;
  // The process's top-level windows of class kFormClass whose caption
  // contains `caption` (a decorated caption still does); nullptr when none.
  HWND formWindow(const std::wstring& caption) const;
  HWND mainWindow() const { return formWindow(kMainCaption); }
  // Closes the main window as its close box does; true once the process
  // has ended.
  bool close();
  // A message box of the process (class #32770) with this title, or nullptr.
  HWND messageBox(const std::wstring& title) const;

 private:
  PROCESS_INFORMATION info_{};
};

// A control of `parent` (at any depth) with this window text, or nullptr.
HWND findControl(HWND parent, const std::wstring& text);
// Clicks a button as the user would, without waiting for what the click
// opens (a modal dialog would block a sent message).
void click(HWND button);

}  // namespace kivo::e2e
