// kivo.exe end to end: what the registry says and what a second start does.
// A companion program's template is used, a second start brings the
// running one's main window up, and the window-list dialog stores its list
// by writing and then deleting the key after the last entry.
#include <gtest/gtest.h>

#include "tests/wine/e2e.h"

namespace kivo::e2e {
namespace {

TEST(SettingsE2E, CompanionTemplateSecondStartAndTheWindowListDialog) {
  freshStore();
  // As a companion program writes them.
  store::set(L"Plug in", L"KivoXX", L"1");
  store::set(L"Main", L"XXFormat", L"[%yyyy%年 %h:nn%]");
  store::set(L"Main", L"WindowList0", L"KivoE2EAlpha");
  store::set(L"Main", L"WindowList1", L"KivoE2EBeta");
  TestWindow editor(L"KivoE2EEditor", L"Editor");
  const std::wregex custom(L"\\[[0-9]{4}年 [0-9]{1,2}:[0-9]{2}\\]");
  const auto decorated = [&] { return decoratedLeft(editor.text(), L"Editor", L" = ", custom); };
  ASSERT_TRUE(editor.bringToFront());
  KivoProcess kivo;
  ASSERT_TRUE(editor.frontUntil(decorated, kStartUp)) << editor.text();
  const HWND main = kivo.mainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_FALSE(IsWindowVisible(main)) << "the main window shows after start-up";

  // The second process finds the first one's window, shows it in front and
  // ends; the first one goes on, and the editor, out of the front, has its
  // title back.
  {
    KivoProcess second;
    ASSERT_TRUE(second.waitExit(10s)) << "the second start did not end";
    EXPECT_EQ(second.exitCode(), 0u);
  }
  EXPECT_TRUE(waitFor([&] { return IsWindowVisible(main) && GetForegroundWindow() == main; }, 5s));
  EXPECT_FALSE(IsIconic(main));
  EXPECT_TRUE(waitFor([&] { return editor.text() == L"Editor"; }, 2s)) << editor.text();

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
  EXPECT_TRUE(editor.frontUntil(decorated, 5s)) << editor.text();

  const HWND exit = findControl(main, L"Exit(&X)");
  ASSERT_NE(exit, nullptr);
  click(exit);
  ASSERT_TRUE(kivo.waitExit(10s));
  EXPECT_EQ(kivo.exitCode(), 0u);
  EXPECT_TRUE(waitFor([&] { return editor.text() == L"Editor"; }, 2s)) << editor.text();
}

}  // namespace
}  // namespace kivo::e2e
