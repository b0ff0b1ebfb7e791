// The icon in the notification area and the start at login: what the user
// sees of them, and that every menu item does what the window's own button
// does.
#include <gtest/gtest.h>

#include <string>

#include "tests/unit/program_rig.h"
#include "ui/window_list_dialog.h"

namespace kivo {
namespace {

using testing::RunningProgram;

sim::SimTrayIcon* icon(RunningProgram& r) { return r.d.toolkit.tray().icon(); }

TEST(TrayIcon, ShowsTheClockAndEndsWithTheProgram) {
  RunningProgram r;
  r.d.windows.addWindow(7, "Notepad", "memo");
  r.d.windows.focus(7);
  ASSERT_NE(icon(r), nullptr);
  r.m().tickTimer->fire();
  EXPECT_TRUE(icon(r)->shown());
  EXPECT_EQ(icon(r)->tooltip(), "12:34,May,6");
  // A steady tick tells the desktop nothing new.
  const int updates = icon(r)->updates();
  r.m().tickTimer->fire();
  EXPECT_EQ(icon(r)->updates(), updates);

  std::string menu;
  for (const TrayMenuItem& item : icon(r)->openMenu()) {
    menu += (item.separatorBefore ? "| " : "") + item.text + (item.checkable ? "[" : "") +
            (item.checkable ? std::to_string(item.checked) + "]" : "") + " ";
  }
  EXPECT_EQ(
      menu,
      "Kivo を開く(&O) 詳細(&S) あの子嫌い(&B) | ログイン時に起動(&G)[0] | About(&A) Exit(&X) ");
  icon(r)->choose(MainWindow::TrayExit);
  EXPECT_TRUE(r.app.ended());
  EXPECT_EQ(icon(r), nullptr);  // taken out of the notification area
  EXPECT_EQ(r.d.windows.window(7)->title, "memo");
}

TEST(TrayIcon, MenuItemsDoWhatTheWindowsButtonsDo) {
  RunningProgram r;
  sim::SimTrayIcon& tray = *icon(r);
  tray.choose(-1);  // a double-click opens the window, as a second start does
  EXPECT_TRUE(r.m().visible());
  EXPECT_EQ(r.m().windowState(), WindowState::Normal);
  EXPECT_EQ(r.d.windows.getForegroundWindow(), r.m().hwnd());

  // The window-list dialog opens modally; the menu, used meanwhile, only
  // brings the window up again instead of opening a second dialog.
  int opened = 0;
  r.d.toolkit.modalPump = [&] {
    if (r.m().windowListDialogIfLoaded() && opened++ == 0) tray.choose(MainWindow::TraySettings);
    return false;
  };
  tray.choose(MainWindow::TrayWindowList);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(r.m().settingsDialogIfLoaded(), nullptr);

  tray.choose(MainWindow::TrayAbout);
  ASSERT_EQ(r.d.toolkit.boxes().size(), 1u);
  EXPECT_EQ(r.d.toolkit.boxes()[0].title, "Kivo のバージョン情報");
}

TEST(TrayIcon, StartAtLoginFollowsTheDesktopAndARefusalIsTold) {
  RunningProgram r;
  sim::SimTrayIcon& tray = *icon(r);
  tray.choose(MainWindow::StartAtLogin);
  EXPECT_TRUE(r.d.program.startsAtLogin());
  EXPECT_EQ(r.m().loginStartBox->value(), 1);
  EXPECT_TRUE(tray.openMenu()[MainWindow::StartAtLogin].checked);
  // Switched off elsewhere: the window shows it when it comes up.
  r.d.program.setStartAtLogin(false);
  r.m().bringUp();
  EXPECT_EQ(r.m().loginStartBox->value(), 0);
  // A desktop that refuses: the user is told, and the box shows the truth.
  r.d.program.loginEntryRefused = true;
  r.m().loginStartBox->userClick();
  EXPECT_EQ(r.m().loginStartBox->value(), 0);
  ASSERT_EQ(r.d.toolkit.boxes().size(), 1u);
  EXPECT_EQ(r.d.toolkit.boxes()[0].text, "ログイン時の起動を変更できませんでした。");
}

TEST(TrayIcon, TheWindowsBoxTurnsItOffForGoodAndNoAreaIsNoFault) {
  RunningProgram r;
  r.m().trayIconBox->userClick();
  EXPECT_FALSE(icon(r)->shown());
  EXPECT_EQ(readText(r.d.store, keys::TrayIcon), "0");
  RunningProgram off({{keys::TrayIcon, "0"}});
  EXPECT_TRUE(icon(off) == nullptr || !icon(off)->shown());
  EXPECT_EQ(off.m().trayIconBox->value(), 0);
  // No notification area on this desktop: nothing is said.
  RunningProgram none({}, false);
  none.d.toolkit.tray().available = false;
  none.app.start();
  none.m().tickTimer->fire();
  EXPECT_TRUE(none.d.toolkit.boxes().empty());
  EXPECT_FALSE(icon(none)->shown());
}

}  // namespace
}  // namespace kivo
