// The contract suite's factory for the native Win32 backend: real top-level
// windows of this process, the registry under a scratch application, and the
// Win32 toolkit's timers and message boxes in real time.
#include <windows.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/utf16.h"
#include "platform/win32/handle.h"
#include "platform/win32/win32_journal.h"
#include "platform/win32/win32_store.h"
#include "platform/win32/win32_toolkit.h"
#include "platform/win32/win32_windows.h"
#include "tests/contract/contract.h"
#include "tests/wine/toolkit/toolkit_rig.h"

namespace kivo::contract {
namespace {

using win32::fromHwnd;
using win32::toHwnd;

class Win32Backend : public ContractBackend {
 public:
  ~Win32Backend() override {
    for (std::thread& t : answerers_) t.join();
    // Every section is gone by now, and every record forgotten; the
    // journal's key and the scratch application's key go too.
    RegDeleteKeyW(HKEY_CURRENT_USER, text::toWide(journal_.keyPath()).c_str());
    const std::string application =
        std::string(win32::kClassicSettingsRoot) + "\\" + store_.application();
    RegDeleteKeyW(HKEY_CURRENT_USER, text::toWide(application).c_str());
  }

  WindowSystem& windows() override { return windows_; }

  Toolkit& toolkit() override { return toolkit_; }
  // A thread of its own finds the message box (dialog class #32770, the
  // suite's title), lets it stay open for `hold` while the program's
  // timers fire, then presses the button as a click would.
  void answerNextBox(int answer, milliseconds hold) override {
    answerers_.emplace_back([answer, hold] {
      const auto end = std::chrono::steady_clock::now() + kDeadline;
      HWND box = nullptr;
      while (!(box = FindWindowW(L"#32770", L"Kivo contract")) &&
             std::chrono::steady_clock::now() < end) {
        Sleep(5);  // a helper thread's poll, under a deadline
      }
      if (!box) return;
      Sleep(static_cast<DWORD>(hold.count()));  // how long the case keeps it open
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
    });
  }

  SettingsStore& store() override { return store_; }
  std::unique_ptr<SettingsStore> freshStore() override {
    return std::make_unique<win32::RegistryStore>(store_.application());
  }
  void dropSection(const std::string& section) override {
    RegDeleteKeyW(HKEY_CURRENT_USER, text::toWide(store_.sectionPath(section)).c_str());
  }

  // The scratch application's journal, and another over it as the next run
  // makes one.
  DecorationJournal& journal() override { return journal_; }
  std::unique_ptr<DecorationJournal> freshJournal() override {
    return std::make_unique<win32::RegistryDecorationJournal>(store_.application());
  }

  Hwnd createWindow(const std::string& className, const std::string& title) override {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const std::wstring cls = text::toWide(className);
    // Roles recur from case to case: a class registered before is reused.
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = cls.c_str();
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return 0;
    const HWND hwnd =
        CreateWindowExW(0, cls.c_str(), text::toWide(title).c_str(), WS_OVERLAPPEDWINDOW, 64, 64,
                        320, 200, nullptr, nullptr, instance, nullptr);
    if (hwnd == nullptr) return 0;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    if (!pumpUntil([&] { return IsWindowVisible(hwnd) != FALSE; }, kDeadline)) {
      DestroyWindow(hwnd);
      return 0;
    }
    return fromHwnd(hwnd);
  }
  // The window is this thread's, so it is gone when DestroyWindow returns.
  void destroyWindow(Hwnd h) override { DestroyWindow(toHwnd(h)); }

  // Through the toolkit's own pump (its timers, the dialog manager's keys).
  bool pumpUntil(const std::function<bool()>& condition, milliseconds deadline) override {
    return win32::test::pumpUntil(toolkit_, condition, deadline);
  }
  void letTimePass(milliseconds duration) override { Sleep(static_cast<DWORD>(duration.count())); }

 private:
  win32::Win32WindowSystem windows_;
  // A scratch application of this run at the classic place: the suite
  // writes where the program does, yet never touches the program's own
  // settings.
  win32::RegistryStore store_{"Kivo contract " + runToken()};
  win32::RegistryDecorationJournal journal_{store_.application()};
  win32::Win32Toolkit toolkit_{GetModuleHandleW(nullptr)};
  std::vector<std::thread> answerers_;
};

}  // namespace

std::unique_ptr<ContractBackend> makeContractBackend() { return std::make_unique<Win32Backend>(); }

}  // namespace kivo::contract
