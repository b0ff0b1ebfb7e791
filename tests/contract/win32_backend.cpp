// The contract suite's factory for the native Win32 backend: real top-level
// windows of this process, and the registry under a scratch application.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/utf16.h"
#include "platform/win32/handle.h"
#include "platform/win32/win32_store.h"
#include "platform/win32/win32_windows.h"
#include "tests/contract/contract.h"

namespace kivo::contract {
namespace {

using win32::fromHwnd;
using win32::toHwnd;

class Win32Backend : public ContractBackend {
 public:
  ~Win32Backend() override {
    // Every section is gone by now; the scratch application's key goes too.
    RegDeleteKeyW(HKEY_CURRENT_USER, text::toWide(applicationPath()).c_str());
  }

  WindowSystem& windows() override { return windows_; }

  // The Win32 toolkit (Win32Toolkit, platform/win32/win32_toolkit.h) comes
  // with its own developer's work, which completes these two. Until then
  // this instance links the windows and settings parts only, and no case of
  // theirs asks for a toolkit.
  Toolkit& toolkit() override { notYet("toolkit()"); }
  void answerNextBox(int, milliseconds) override { notYet("answerNextBox()"); }

  SettingsStore& store() override { return store_; }
  std::unique_ptr<SettingsStore> freshStore() override {
    return std::make_unique<win32::RegistryStore>(store_.application());
  }
  void dropSection(const std::string& section) override {
    RegDeleteKeyW(HKEY_CURRENT_USER, text::toWide(store_.sectionPath(section)).c_str());
  }

  Hwnd createWindow(const std::string& className, const std::string& title) override {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const std::wstring cls = text::toWide(className);
    // Roles recur from case to case: a class registered before is reused.
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = cls.c_str();
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return 0;
    const HWND hwnd =
        CreateWindowExW(0, cls.c_str(), text::toWide(title).c_str(), WS_OVERLAPPEDWINDOW, 64, 64,
                        320, 200, nullptr, nullptr, instance, nullptr);
    if (hwnd == nullptr) return 0;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    UpdateWindow(hwnd);
    if (!pumpUntil([&] { return IsWindowVisible(hwnd) != FALSE; }, kDeadline)) {
      DestroyWindow(hwnd);
      return 0;
    }
    return fromHwnd(hwnd);
  }
  // The window is this thread's, so it is gone when DestroyWindow returns.
  void destroyWindow(Hwnd h) override { DestroyWindow(toHwnd(h)); }

  bool pumpUntil(const std::function<bool()>& condition, milliseconds deadline) override {
    const auto end = std::chrono::steady_clock::now() + deadline;
    for (;;) {
      if (condition()) return true;
      const auto left =
          std::chrono::duration_cast<milliseconds>(end - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      MSG msg;
      if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        continue;
      }
      // Nothing queued: wait for the next message, but look again soon,
      // since the condition may hold without any message of ours (another
      // thread's or the X server's doing).
      const auto wait = static_cast<DWORD>(std::min<std::int64_t>(left.count(), 10));
      MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
    }
  }
  void letTimePass(milliseconds duration) override { Sleep(static_cast<DWORD>(duration.count())); }

  std::optional<std::string> cannot(Promise promise) override {
    switch (promise) {
      case Promise::TimerIntervalChange:
      case Promise::TimerDisable:
      case Promise::TimerNeverNests:
      case Promise::DoEventsRunsDueTimer:
      case Promise::MessageBoxAnswers:
        return "the Win32 toolkit's cases are not part of this instance yet";
      default: return std::nullopt;
    }
  }

 private:
  [[noreturn]] static void notYet(const char* what) {
    std::fprintf(stderr, "win32_backend: %s belongs to the Win32 toolkit, not linked here\n", what);
    std::abort();
  }
  std::string applicationPath() const {
    return std::string(win32::kClassicSettingsRoot) + "\\" + store_.application();
  }

  win32::Win32WindowSystem windows_;
  // A scratch application of this run at the classic place: the suite
  // writes where the program does, yet never touches the program's own
  // settings.
  win32::RegistryStore store_{"Kivo contract " + runToken()};
};

}  // namespace

std::unique_ptr<ContractBackend> makeContractBackend() { return std::make_unique<Win32Backend>(); }

}  // namespace kivo::contract
