// The Win32 toolkit's forms beyond the toolkit contract suite: Tab through
// option groups (the dialog manager's own order), a showing by the system
// (a second start) and the engine's title kept through pushes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/utf16.h"
#include "platform/win32/handle.h"
#include "tests/wine/toolkit/toolkit_rig.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"
#include "ui/window_list_dialog.h"

namespace kivo::win32::test {
namespace {

using ::testing::IsEmpty;

TEST(Win32Forms, TabVisitsTheSelectedOptionOfEachGroup) {
  Rig rig;
  rig.app.start();
  MainWindow& m = *rig.app.main();
  const HWND form = rig.toolkit.windowOf(m);
  // Tab visits the selected option of each group, then the rest in order.
  std::vector<HWND> want{rig.toolkit.windowOf(*m.precision[1]), rig.toolkit.windowOf(*m.style[0]),
                         rig.toolkit.windowOf(*m.clockOnRight)};
  for (auto* b : m.dialogButtons) want.push_back(rig.toolkit.windowOf(*b));
  for (auto* b : m.buttons) want.push_back(rig.toolkit.windowOf(*b));
  want.push_back(rig.toolkit.windowOf(*m.trayIconBox));
  want.push_back(rig.toolkit.windowOf(*m.loginStartBox));
  std::vector<HWND> got{want.front()};
  for (HWND h = GetNextDlgTabItem(form, want.front(), FALSE); h != want.front() && got.size() < 20;
       h = GetNextDlgTabItem(form, h, FALSE)) {
    got.push_back(h);
  }
  EXPECT_EQ(got, want);
}

TEST(Win32Forms, ASecondStartBringsTheRunningMainWindowUp) {
  DesktopRig running;
  running.app.start();
  MainWindow& m = *running.app.main();
  const HWND h = running.toolkit.windowOf(m);
  ASSERT_FALSE(m.visible());
  {
    // Another instance finds the window by its class and caption, shows it
    // and ends; its own quit stays with its own toolkit.
    DesktopRig second;
    second.program.setPreviousInstance(true);
    second.app.start();
    EXPECT_TRUE(second.app.ended());
  }
  // The model follows the system's showing (and the window is in front
  // below: the engine decorates it).
  EXPECT_THAT(viewDifferences(running.toolkit, m), IsEmpty());

  // In front, it gets the clock in its title from the engine's tick, and
  // the form's own pushes leave that alone.
  const std::wstring caption = text::toWide(kMainCaption);
  auto decorated = [&] {
    wchar_t title[256] = {};
    GetWindowTextW(h, title, 256);
    return std::wstring(title) != caption &&
           std::wstring(title).find(caption) != std::wstring::npos;
  };
  ASSERT_TRUE(pumpUntil(running.toolkit, decorated));
  m.move(m.left() + 150, m.top());
  m.precision[2]->setValue(true);
  EXPECT_TRUE(decorated());
  EXPECT_FALSE(running.toolkit.quitRequested());
}

}  // namespace
}  // namespace kivo::win32::test
