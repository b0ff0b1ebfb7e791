// The registry store from a companion program's side: what it finds of ours,
// and what we make of what it writes.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/errors.h"
#include "platform/utf16.h"
#include "platform/win32/win32_store.h"
#include "tests/win32/win32_test_util.h"

namespace kivo::win32 {
namespace {

TEST(Win32Store, CompanionProgramsMeetUsUnderTheClassicKey) {
  // A scratch application at the classic place, removed with all it holds.
  const std::string application = "Kivo store test " + test::token();
  const std::wstring appKey = text::toWide(std::string(kClassicSettingsRoot) + "\\" + application);
  RegistryStore store(application);

  // Ours is a REG_SZ with its terminator, where the classic calls look.
  store.saveSetting("Main", "XXFormat", "%h:nn% 時計");
  DWORD type = 0;
  wchar_t data[64] = {};
  DWORD bytes = sizeof data;
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, (appKey + L"\\Main").c_str(), L"XXFormat",
                         RRF_RT_ANY | RRF_NOEXPAND, &type, data, &bytes),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::wstring(data), L"%h:nn% 時計");
  EXPECT_EQ(bytes, sizeof(L"%h:nn% 時計"));

  // Theirs is read at the next call, with or without a terminator; a value
  // that is no text is missing to us.
  HKEY plugIn;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (appKey + L"\\Plug in").c_str(), 0, nullptr, 0,
                            KEY_SET_VALUE, nullptr, &plugIn, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(plugIn, L"KivoXX", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"1"), sizeof L"1");
  EXPECT_EQ(store.getSetting("Plug in", "KivoXX", "0"), "1");
  RegSetValueExW(plugIn, L"KivoXX", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"0"), 2);
  EXPECT_EQ(store.getSetting("Plug in", "KivoXX", "1"), "0");
  const DWORD one = 1;
  RegSetValueExW(plugIn, L"KivoTT", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);
  EXPECT_EQ(store.getSetting("Plug in", "KivoTT", "0"), "0");
  RegCloseKey(plugIn);
  RegDeleteTreeW(HKEY_CURRENT_USER, appKey.c_str());
}

TEST(Win32Store, ARefusedWriteNamesTheKeyAndTheSystemsReason) {
  // The application's key is volatile: the registry refuses a lasting
  // section key under it, as it refuses a key the user may not change.
  const std::string application = "Kivo store refusal " + test::token();
  const std::wstring appKey = text::toWide(std::string(kClassicSettingsRoot) + "\\" + application);
  HKEY volatileKey;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, appKey.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &volatileKey, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(volatileKey);
  RegistryStore store(application);
  std::string refusal;
  try {
    store.saveSetting("Main", "ClockRight", "1");
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), kErrInvalidCall);
    refusal = e.description();
  }
  const std::string prefix =
      "The registry key HKEY_CURRENT_USER\\" + store.sectionPath("Main") + " cannot be changed: ";
  EXPECT_EQ(refusal.substr(0, prefix.size()), prefix) << refusal;
  EXPECT_NE(refusal.find("(error 1021)."), std::string::npos) << refusal;  // child must be volatile
  EXPECT_EQ(store.getSetting("Main", "ClockRight", "0"), "0");
  // Deleting what is not there stays the classic error 5.
  try {
    store.deleteSetting("Main", "ClockRight");
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.description(), errorDescription(kErrInvalidCall));
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, appKey.c_str());
  RegDeleteKeyW(HKEY_CURRENT_USER, appKey.c_str());
}

}  // namespace
}  // namespace kivo::win32
