// The registry's decoration journal as the next run finds it: a record
// counts only for the very window it names, which the contract suite cannot
// set up (the system does not hand a freed handle to a new window at once).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "platform/utf16.h"
#include "platform/win32/handle.h"
#include "platform/win32/win32_journal.h"
#include "tests/win32/win32_test_util.h"
#include "tests/wine/e2e.h"

namespace kivo::win32 {
namespace {

// A record as an earlier run left it: the layout the journal keeps from
// version to version (process id, class, as written, own title; UTF-16,
// each ended by a NUL).
void leaveRecord(HKEY key, const std::wstring& name, const std::wstring& fields) {
  ASSERT_EQ(
      RegSetValueExW(key, name.c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>(fields.data()),
                     static_cast<DWORD>(fields.size() * sizeof(wchar_t))),
      ERROR_SUCCESS);
}

std::wstring handleName(HWND h) {
  wchar_t name[9];
  swprintf(name, 9, L"%08X", static_cast<unsigned>(fromHwnd(h)));
  return name;
}

std::vector<std::wstring> valueNames(HKEY key) {
  std::vector<std::wstring> names;
  wchar_t name[64];
  for (DWORD i = 0, n = 64;
       RegEnumValueW(key, i, name, &n, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
       ++i, n = 64) {
    names.emplace_back(name);
  }
  return names;
}

TEST(Win32Journal, ARecordCountsOnlyForTheWindowItNames) {
  const std::string application = "Kivo journal test " + test::token();
  RegistryDecorationJournal journal(application);
  const std::wstring cls = L"KivoJournal" + text::toWide(test::token());
  const e2e::TestWindow editor(cls, L"Editor");
  const auto staticWindow = [](const wchar_t* title) {
    return CreateWindowExW(0, L"STATIC", title, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
  };
  const HWND other = staticWindow(L"Other"), third = staticWindow(L"Third");
  ASSERT_TRUE(editor.hwnd() && other && third);
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, text::toWide(journal.keyPath()).c_str(), 0, nullptr,
                            0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::wstring pid = std::to_wstring(GetCurrentProcessId());
  const std::wstring otherPid = std::to_wstring(GetCurrentProcessId() + 4);
  const auto fields = [](const std::wstring& process, const std::wstring& windowClass,
                         const std::wstring& title) {
    return process + L'\0' + windowClass + L'\0' + L"6:17 = " + title + L'\0' + title + L'\0';
  };
  // The editor's own record, and records under the handles of windows they
  // do not describe: another process's, another class's. Then a name no
  // run of ours writes.
  leaveRecord(key, handleName(editor.hwnd()), fields(pid, cls, L"Editor"));
  leaveRecord(key, handleName(other), fields(otherPid, L"STATIC", L"Other"));
  leaveRecord(key, handleName(third), fields(pid, cls, L"Third"));
  leaveRecord(key, handleName(editor.hwnd()).substr(0, 7) + L"G", L"garbage");

  const std::vector<DecorationRecord> left = journal.leftOver();
  EXPECT_EQ(left,
            (std::vector<DecorationRecord>{{fromHwnd(editor.hwnd()), "6:17 = Editor", "Editor"}}));
  // The others are gone from the registry, the editor's stays until forgotten.
  EXPECT_EQ(valueNames(key), std::vector<std::wstring>{handleName(editor.hwnd())});
  journal.forget(fromHwnd(editor.hwnd()));
  EXPECT_TRUE(valueNames(key).empty());

  RegCloseKey(key);
  DestroyWindow(other);
  DestroyWindow(third);
  RegDeleteTreeW(HKEY_CURRENT_USER,
                 text::toWide(std::string(kClassicSettingsRoot) + "\\" + application).c_str());
}

}  // namespace
}  // namespace kivo::win32
