// The file dialog's, the shell's and the sound's libraries: kivo.exe starts
// without them, the services load them on first use, and a library or
// function that cannot be found is an error that names it.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h.
#include <psapi.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_services.h"
#include "tests/wine/e2e.h"

namespace kivo::win32 {
namespace {

// The lower-case file names of the modules `process` has loaded.
std::vector<std::wstring> loadedModules(HANDLE process) {
  std::vector<HMODULE> modules(512);
  DWORD bytes = 0;
  if (!EnumProcessModulesEx(process, modules.data(),
                            static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &bytes,
                            LIST_MODULES_ALL)) {
    ADD_FAILURE() << "EnumProcessModulesEx: error " << GetLastError();
    return {};
  }
  modules.resize(std::min<std::size_t>(bytes / sizeof(HMODULE), modules.size()));
  std::vector<std::wstring> names;
  for (HMODULE m : modules) {
    wchar_t name[MAX_PATH] = {};
    GetModuleBaseNameW(process, m, name, MAX_PATH);
    std::wstring lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(), ::towlower);
    names.push_back(lower);
  }
  return names;
}

TEST(Win32LazyLibraries, KivoStartsWithoutThemAndTheServicesLoadThemOnFirstUse) {
  using namespace e2e;
  freshStore();
  // The notification-area icon needs shell32 from the start: switched off,
  // nothing of kivo.exe's start needs any of the three.
  store::set(L"Main", L"TrayIcon", L"0");
  TestWindow editor(L"KivoLazyLibrariesEditor", L"Editor");
  {
    KivoProcess kivo;
    ASSERT_TRUE(editor.frontUntil([&] { return editor.decorated(); }, kStartUp));
    const std::vector<std::wstring> loaded = loadedModules(kivo.process());
    EXPECT_NE(std::find(loaded.begin(), loaded.end(), L"kivo.exe"), loaded.end());
    for (const wchar_t* library : {L"comdlg32.dll", L"winmm.dll", L"shell32.dll"}) {
      EXPECT_EQ(std::find(loaded.begin(), loaded.end(), library), loaded.end()) << library;
    }
    EXPECT_TRUE(kivo.close());
  }
  store::reset();

  // A sound that cannot be found plays nothing, but its library is there.
  Win32Sound sound;
  sound.playSound("C:\\no such sound.wav", kSndSync | kSndNoDefault | kSndFilename);
  EXPECT_NE(GetModuleHandleW(L"winmm.dll"), nullptr);
}

// What the user is told, through the error path of whoever called the
// service: the number, and the library (and function) by name.
template <class Call>
void expectError(Call call, int number, const std::string& names) {
  try {
    call();
    ADD_FAILURE() << "no error for " << names;
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), number);
    EXPECT_NE(e.description().find(names), std::string::npos) << e.description();
  }
}

TEST(Win32LazyLibraries, AMissingLibraryIsAnErrorNamingItOnlyWhereTheUserAskedForIt) {
  const std::wstring missing = L"kivo-missing-library.dll";
  OpenFileRequest request;
  Win32FileDialog dialog(missing);
  expectError([&] { dialog.getOpenFileName(request); }, kErrLoadingLibrary,
              "kivo-missing-library.dll");
  // Asked again, it tries again, and fails the same way.
  expectError([&] { dialog.getOpenFileName(request); }, kErrLoadingLibrary,
              "kivo-missing-library.dll");
  // The sound and the shell fail silently, as they do for a missing file.
  Win32Shell shell(missing);
  EXPECT_NO_THROW(shell.shellExecute(0, "open", "notes.txt", "", "", 1));
  Win32Sound sound(missing);
  EXPECT_NO_THROW(sound.playSound("chime.wav", kSndAsync));

  // The library is there, the function is not.
  SystemLibrary kernel32(L"kernel32.dll");
  expectError([&] { kernel32.address("KivoNoSuchFunction"); }, kErrFunctionMissing,
              "KivoNoSuchFunction in kernel32.dll");
}

}  // namespace
}  // namespace kivo::win32
