// kivo.exe end to end: what the registry says. A listed window class is left
// alone, a companion program's template (written with reg.exe) is used, and
// the window-list dialog stores its list by writing and then deleting the
// key after the last entry.
#include <gtest/gtest.h>

#include "tests/wine/e2e.h"

namespace kivo::e2e {
namespace {

// Shuts Kivo down through its main window and waits until it is gone.
void closeKivo(KivoProcess& kivo) {
  const HWND main = kivo.mainWindow();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(kivo.waitExit(10s));
}

TEST(SettingsE2E, ListedClassIsLeftAlone) {
  freshStore();
  store::set(L"Main", L"WindowList0", L"KivoE2EListed");
  TestWindow plain(L"KivoE2EPlain", L"Plain");
  TestWindow listed(L"KivoE2EListed", L"Listed");
  TestWindow next(L"KivoE2ENext", L"Next");
  ASSERT_TRUE(plain.bringToFront());
  KivoProcess kivo;
  ASSERT_TRUE(
      plain.frontUntil([&] { return decoratedLeft(plain.text(), L"Plain", L" = "); }, kStartUp))
      << plain.text();

  // The plain window's title coming back shows that Kivo has seen the listed
  // window in front; the next window's clock, that it has moved on.
  ASSERT_TRUE(listed.bringToFront());
  EXPECT_TRUE(waitFor([&] { return plain.text() == L"Plain"; }, 2s)) << plain.text();
  ASSERT_TRUE(next.bringToFront());
  EXPECT_TRUE(waitFor([&] { return decoratedLeft(next.text(), L"Next", L" = "); }, 2s))
      << next.text();
  EXPECT_EQ(listed.text(), L"Listed");
  EXPECT_EQ(listed.foreignSetTexts(), 0) << "Kivo wrote into a listed window";

  closeKivo(kivo);
  EXPECT_EQ(next.text(), L"Next");
}

TEST(SettingsE2E, CompanionTemplateWrittenWithRegExe) {
  freshStore();
  // As a companion program (or a user with reg.exe) writes them.
  const std::wstring key = L"\"HKCU\\Software\\VB and VBA Program Settings\\Kivo for Windows NT/95";
  ASSERT_EQ(runProgram(L"reg.exe add " + key + L"\\Plug in\" /v KivoXX /t REG_SZ /d 1 /f"), 0);
  ASSERT_EQ(runProgram(L"reg.exe add " + key +
                       L"\\Main\" /v XXFormat /t REG_SZ /d \"[%yyyy%年 %h:nn%]\" /f"),
            0);
  ASSERT_EQ(store::get(L"Plug in", L"KivoXX"), L"1");

  TestWindow editor(L"KivoE2EEditor", L"Editor");
  ASSERT_TRUE(editor.bringToFront());
  KivoProcess kivo;
  const std::wregex custom(L"\\[[0-9]{4}年 [0-9]{1,2}:[0-9]{2}\\]");
  EXPECT_TRUE(editor.frontUntil(
      [&] { return decoratedLeft(editor.text(), L"Editor", L" = ", custom); }, kStartUp))
      << editor.text();

  closeKivo(kivo);
  EXPECT_EQ(editor.text(), L"Editor");
}

// A second start of Kivo: it brings the running one's main window up and
// ends. Returns the main window, shown.
HWND showMainWindow(KivoProcess& kivo) {
  KivoProcess second;
  EXPECT_TRUE(second.waitExit(10s)) << "the second start did not end";
  EXPECT_EQ(second.exitCode(), 0u);
  const HWND main = kivo.mainWindow();
  EXPECT_TRUE(waitFor([&] { return main && IsWindowVisible(main); }, 5s));
  return main;
}

TEST(SettingsE2E, WindowListDialogStoresWriteThenDelete) {
  freshStore();
  store::set(L"Main", L"WindowList0", L"KivoE2EAlpha");
  store::set(L"Main", L"WindowList1", L"KivoE2EBeta");
  TestWindow editor(L"KivoE2EEditor", L"Editor");
  ASSERT_TRUE(editor.bringToFront());
  KivoProcess kivo;
  ASSERT_TRUE(
      editor.frontUntil([&] { return decoratedLeft(editor.text(), L"Editor", L" = "); }, kStartUp));

  const HWND main = showMainWindow(kivo);
  ASSERT_NE(main, nullptr);
  const HWND open = findControl(main, L"あの子嫌い(&B)");
  ASSERT_NE(open, nullptr);
  click(open);
  HWND dialog = nullptr;
  ASSERT_TRUE(waitFor(
      [&] {
        dialog = kivo.formWindow(L"あの子嫌い！");
        return dialog && IsWindowVisible(dialog);
      },
      5s));

  // The list shows the stored entries; the user removes the second one.
  HWND list = nullptr;
  ASSERT_TRUE(
      waitFor([&] { return (list = FindWindowExW(dialog, nullptr, L"ListBox", nullptr)); }, 2s));
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
  SendMessageW(list, LB_SETCURSEL, 1, 0);
  PostMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
  click(findControl(dialog, L"あきらめる(&G)"));
  EXPECT_TRUE(waitFor([&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) == 1; }, 2s));
  click(findControl(dialog, L"OK"));
  EXPECT_TRUE(waitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 5s));

  // The first entry is stored; the key of the first empty entry is gone,
  // written and deleted without an error box.
  EXPECT_TRUE(waitFor([&] { return !store::get(L"Main", L"WindowList1"); }, 2s));
  EXPECT_EQ(store::get(L"Main", L"WindowList0"), L"KivoE2EAlpha");
  EXPECT_EQ(kivo.anyMessageBox(), nullptr) << windowText(kivo.anyMessageBox());

  // The clock goes on after the dialog: the editor in front gets it back.
  EXPECT_TRUE(
      editor.frontUntil([&] { return decoratedLeft(editor.text(), L"Editor", L" = "); }, 5s))
      << editor.text();

  const HWND exit = findControl(main, L"Exit(&X)");
  ASSERT_NE(exit, nullptr);
  click(exit);
  ASSERT_TRUE(kivo.waitExit(10s));
}

}  // namespace
}  // namespace kivo::e2e
