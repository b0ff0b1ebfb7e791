// The Windows installer end to end: a silent per-user install puts the
// program, its Start-menu shortcut and its uninstall entry in place without
// administrator rights; the installed kivo.exe decorates a window; the
// silent uninstall takes all of it away again, the start at login too, and
// leaves the settings.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/wine/e2e.h"

namespace kivo::e2e {
namespace {

namespace fs = std::filesystem;

std::wstring environment(const wchar_t* name) {
  std::wstring value(GetEnvironmentVariableW(name, nullptr, 0), L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size())));
  return value;
}

// Runs a command line and waits for it; its exit code, or -1.
long run(std::wstring line) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return -1;
  DWORD code = 0;
  const bool ended = WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return ended ? static_cast<long>(code) : -1;
}

constexpr const wchar_t* kUninstallKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kivo";
constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

TEST(InstallerE2E, SilentInstallRunsAndSilentUninstallRemovesItAllButTheSettings) {
  const std::wstring setup = environment(L"KIVO_SETUP");
  ASSERT_FALSE(setup.empty()) << "KIVO_SETUP names no installer";
  const fs::path dir = fs::path(environment(L"LOCALAPPDATA")) / L"Programs" / L"Kivo";
  const fs::path shortcut =
      fs::path(environment(L"APPDATA")) / L"Microsoft\\Windows\\Start Menu\\Programs\\Kivo.lnk";
  freshStore();

  ASSERT_EQ(run(L"\"" + setup + L"\" /S"), 0);
  for (const wchar_t* file : {L"kivo.exe", L"kivo-render.exe", L"README.txt", L"Uninstall.exe"})
    EXPECT_TRUE(fs::exists(dir / file)) << (dir / file).string();
  EXPECT_TRUE(fs::exists(shortcut));
  EXPECT_EQ(registryText(kUninstallKey, L"DisplayName"), L"Kivo");
  EXPECT_EQ(registryText(kUninstallKey, L"InstallLocation"), dir.wstring());
  EXPECT_EQ(registryText(kRunKey, L"Kivo"), std::nullopt);  // start at login is asked for

  {
    TestWindow editor(L"KivoE2EInstalled", L"Editor");
    ASSERT_TRUE(editor.bringToFront());
    KivoProcess kivo((dir / L"kivo.exe").wstring());
    EXPECT_TRUE(editor.frontUntil([&] { return editor.decorated(); }, kStartUp)) << editor.text();
    ASSERT_TRUE(kivo.close());
  }

  // Kivo's own switch turned the start at login on meanwhile.
  const std::wstring command = L"\"" + (dir / L"kivo.exe").wstring() + L"\"";
  setRegistryText(kRunKey, L"Kivo", command);
  // The uninstaller runs from a copy of itself and returns at once.
  ASSERT_EQ(run(L"\"" + (dir / L"Uninstall.exe").wstring() + L"\" /S"), 0);
  EXPECT_TRUE(waitFor([&] { return !fs::exists(dir); }, 60s)) << dir.string();
  EXPECT_TRUE(waitFor([&] { return !registryText(kUninstallKey, L"DisplayName"); }, 10s));
  EXPECT_FALSE(fs::exists(shortcut));
  EXPECT_EQ(registryText(kRunKey, L"Kivo"), std::nullopt);
  EXPECT_EQ(registryText(std::wstring(kStoreRoot) + L"\\Main", L"CheckInterval"), L"50");
}

}  // namespace
}  // namespace kivo::e2e
