// kivo.exe end to end: a save the registry refuses is told and survived,
// and the fatal path (a run-time error no handler traps) gives the title
// back, shows its box, lets a new start start afresh and ends with status 1.
#include <gtest/gtest.h>

#include <string>

#include "tests/wine/e2e.h"

namespace kivo::e2e {
namespace {

const wchar_t* const kApplicationKey =
    L"Software\\VB and VBA Program Settings\\Kivo for Windows NT/95";

// The text of a message box (its static control), or "".
std::wstring boxText(HWND box) {
  HWND label = GetDlgItem(box, 0xFFFF);
  return label ? windowText(label) : L"";
}

TEST(EndingE2E, ARefusedSaveIsToldAndTheClockGoesOn) {
  // Kivo's key is volatile: the registry refuses the lasting "Main" key
  // Kivo's save needs, as it refuses a key the user may not change.
  store::reset();
  RegDeleteKeyW(HKEY_CURRENT_USER, kApplicationKey);
  HKEY app = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kApplicationKey, 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &app, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(app);
  TestWindow editor(L"KivoE2EEditor", L"Editor");
  ASSERT_TRUE(editor.bringToFront());
  KivoProcess kivo;
  ASSERT_TRUE(
      editor.frontUntil([&] { return decoratedLeft(editor.text(), L"Editor", L" = "); }, kStartUp));

  KivoProcess second;
  ASSERT_TRUE(second.waitExit(10s));
  const HWND main = kivo.mainWindow();
  ASSERT_TRUE(waitFor([&] { return main && IsWindowVisible(main); }, 5s));
  click(findControl(main, L"OK"));
  HWND box = nullptr;
  ASSERT_TRUE(waitFor([&] { return (box = kivo.messageBox(L"Kivo")) != nullptr; }, 5s));
  // (Found as soon as the box exists: its text may follow a moment later.)
  EXPECT_TRUE(waitFor([&] { return !boxText(box).empty(); }, 2s));
  const std::wstring text = boxText(box);
  EXPECT_NE(text.find(L"Kivo could not save the main window's options."), std::wstring::npos)
      << text;
  EXPECT_NE(text.find(L"Not saved: ClockRight, CheckInterval, UserTaste"), std::wstring::npos);
  EXPECT_NE(text.find(L"Why: The registry key HKEY_CURRENT_USER\\" + std::wstring(kApplicationKey) +
                      L"\\Main cannot be changed: "),
            std::wstring::npos)
      << text;
  // Kivo goes on: the clock comes back to the editor, with the box up and after it.
  EXPECT_TRUE(
      editor.frontUntil([&] { return decoratedLeft(editor.text(), L"Editor", L" = "); }, 5s))
      << editor.text();
  click(findControl(box, L"OK"));
  EXPECT_TRUE(waitFor([&] { return !IsWindow(box); }, 5s));
  EXPECT_FALSE(kivo.waitExit(500ms)) << "kivo.exe ended after the refused save";
  EXPECT_EQ(store::get(L"Main", L"ClockRight"), std::nullopt);

  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(kivo.waitExit(10s));
  EXPECT_EQ(kivo.exitCode(), 0u);
  EXPECT_TRUE(waitFor([&] { return editor.text() == L"Editor"; }, 2s)) << editor.text();
  store::reset();
}

TEST(EndingE2E, AnUntrappedErrorGivesTheTitleBackAndEndsWithStatusOne) {
  store::reset();
  store::set(L"Main", L"CheckInterval", L"50");
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  const std::wstring trigger =
      std::wstring(folder) + L"kivo-e2e-raise-" + std::to_wstring(GetCurrentProcessId());
  DeleteFileW(trigger.c_str());
  TestWindow editor(L"KivoE2EEditor", L"Editor");
  ASSERT_TRUE(editor.bringToFront());
  SetEnvironmentVariableW(L"KIVO_TEST_UNTRAPPED_ERROR", trigger.c_str());
  KivoProcess kivo;
  SetEnvironmentVariableW(L"KIVO_TEST_UNTRAPPED_ERROR", nullptr);
  ASSERT_TRUE(
      editor.frontUntil([&] { return decoratedLeft(editor.text(), L"Editor", L" = "); }, kStartUp));

  // The error: the editor's own title first, then the box, which stays.
  CloseHandle(CreateFileW(trigger.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  EXPECT_TRUE(waitFor([&] { return editor.text() == L"Editor"; }, 5s)) << editor.text();
  HWND box = nullptr;
  ASSERT_TRUE(waitFor([&] { return (box = kivo.messageBox(L"Kivo")) != nullptr; }, 5s));
  // (Found as soon as the box exists: its text may follow a moment later.)
  const std::wstring fatal = L"実行時エラー '5':\r\n\r\nInvalid procedure call or argument";
  EXPECT_TRUE(waitFor([&] { return boxText(box) == fatal; }, 2s)) << boxText(box);
  EXPECT_FALSE(kivo.waitExit(500ms)) << "the fatal box did not stay";

  // While it is up, a new start is a first start: it stays and runs the clock.
  KivoProcess next;
  EXPECT_FALSE(next.waitExit(2s)) << "the new start handed over to the dying instance";
  EXPECT_TRUE(
      editor.frontUntil([&] { return decoratedLeft(editor.text(), L"Editor", L" = "); }, kStartUp))
      << editor.text();

  click(findControl(box, L"OK"));
  ASSERT_TRUE(kivo.waitExit(10s));
  EXPECT_EQ(kivo.exitCode(), 1u);
  DeleteFileW(trigger.c_str());

  const HWND nextMain = next.mainWindow();
  ASSERT_NE(nextMain, nullptr);
  PostMessageW(nextMain, WM_CLOSE, 0, 0);
  ASSERT_TRUE(next.waitExit(10s));
  EXPECT_TRUE(waitFor([&] { return editor.text() == L"Editor"; }, 2s)) << editor.text();
}

}  // namespace
}  // namespace kivo::e2e
