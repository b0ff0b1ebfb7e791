// The notification-area icon as the taskbar talks to it, and the start at
// login as Windows and Task Manager record it.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h.
#include <shellapi.h>

#include <vector>

#include "platform/win32/win32_services.h"
#include "platform/win32/win32_tray.h"

namespace kivo::win32 {
namespace {

constexpr UINT kCallback = WM_APP + 1;  // the icon's callback message

TEST(Win32Tray, TheTaskbarsMessagesReachTheProgramAndARestartPutsTheIconBack) {
  Win32TrayIcon icon(GetModuleHandleW(nullptr));
  std::vector<int> chosen;
  icon.onChoose = [&](int item) { chosen.push_back(item); };
  icon.menu = [] { return std::vector<TrayMenuItem>{{"&Open"}, {"E&xit"}}; };
  ASSERT_TRUE(icon.show("9:41,Dec,7"));
  EXPECT_TRUE(icon.show("9:42,Dec,7"));  // a new tooltip on the same icon
  SendMessageW(icon.window(), kCallback, 0, MAKELPARAM(WM_LBUTTONDBLCLK, 1));
  EXPECT_EQ(chosen, std::vector<int>{-1});
  // Explorer restarted: the icon is added again, and still answers.
  SendMessageW(icon.window(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  SendMessageW(icon.window(), kCallback, 0, MAKELPARAM(WM_LBUTTONDBLCLK, 1));
  EXPECT_EQ(chosen.size(), 2u);
  // Hidden, a restart of Explorer does not bring it back; gone, nothing
  // reaches a handler any more.
  icon.hide();
  const HWND window = icon.window();
  SendMessageW(window, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  NOTIFYICONDATAW probe{};
  probe.cbSize = sizeof probe;
  probe.hWnd = window;
  probe.uID = 1;
  EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &probe));
}

struct RunKey {
  static constexpr const wchar_t* kRun = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  static constexpr const wchar_t* kApproved =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
  RunKey() { clear(); }
  ~RunKey() { clear(); }
  static void clear() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRun, L"Kivo");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kApproved, L"Kivo");
  }
  static std::wstring command() {
    wchar_t value[1024] = {};
    DWORD bytes = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kRun, L"Kivo", RRF_RT_REG_SZ, nullptr, value, &bytes) != 0)
      return {};
    return value;
  }
  static void approve(BYTE first) {
    const BYTE value[12] = {first};
    RegSetKeyValueW(HKEY_CURRENT_USER, kApproved, L"Kivo", REG_BINARY, value, sizeof value);
  }
};

TEST(Win32Login, TheRunEntryAndTaskManagersSwitchDecide) {
  RunKey key;
  Win32ProgramInfo program("Kivo login test");
  EXPECT_FALSE(program.startsAtLogin());
  ASSERT_TRUE(program.setStartAtLogin(true));
  EXPECT_TRUE(program.startsAtLogin());
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  EXPECT_EQ(RunKey::command(), L"\"" + std::wstring(path) + L"\"");
  // Switched off in Task Manager (an odd first byte), and on again there.
  RunKey::approve(3);
  EXPECT_FALSE(program.startsAtLogin());
  RunKey::approve(2);
  EXPECT_TRUE(program.startsAtLogin());
  // Turned on in Kivo after Task Manager turned it off: on for good.
  RunKey::approve(3);
  ASSERT_TRUE(program.setStartAtLogin(true));
  EXPECT_TRUE(program.startsAtLogin());
  ASSERT_TRUE(program.setStartAtLogin(false));
  EXPECT_FALSE(program.startsAtLogin());
  EXPECT_EQ(RunKey::command(), L"");
  EXPECT_TRUE(program.setStartAtLogin(false));  // off already: still fine
}

}  // namespace
}  // namespace kivo::win32
