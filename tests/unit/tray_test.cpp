// The icon in the notification area and the start at login: what the user
// sees of them, and that every menu item does what the window's own button
// does.
#include <gtest/gtest.h>

#include <string>

#include "app/program.h"
#include "platform/sim/sim_desktop.h"
#include "settings/layout.h"
#include "ui/main_window.h"
#include "ui/window_list_dialog.h"

namespace kivo {
namespace {

struct Running {
  sim::SimDesktop d;
  Kivo app{d.platform};
  MainWindow* m = nullptr;
  explicit Running(const char* trayIcon = nullptr, bool trayArea = true) {
    d.toolkit.tray().available = trayArea;
    if (trayIcon) writeText(d.store, keys::TrayIcon, trayIcon);
    d.clock.set(Date{2026, 12, 7}, TimeOfDay{9, 41, 0});
    d.windows.addWindow(7, "Notepad", "memo");
    d.windows.focus(7);
    app.start();
    m = app.main();
  }
  sim::SimTrayIcon* icon() { return d.toolkit.tray().icon(); }
};

TEST(TrayIcon, ShowsTheClockAndEndsWithTheProgram) {
  Running r;
  ASSERT_NE(r.icon(), nullptr);
  r.m->tickTimer->fire();
  EXPECT_TRUE(r.icon()->shown());
  EXPECT_EQ(r.icon()->tooltip(), r.app.engine().state().clock);
  EXPECT_NE(r.icon()->tooltip().find("9:41"), std::string::npos);
  // A steady tick tells the desktop nothing new.
  const int updates = r.icon()->updates();
  r.m->tickTimer->fire();
  EXPECT_EQ(r.icon()->updates(), updates);

  std::string menu;
  for (const TrayMenuItem& item : r.icon()->openMenu()) {
    menu += (item.separatorBefore ? "| " : "") + item.text + (item.checkable ? "[" : "") +
            (item.checkable ? std::to_string(item.checked) + "]" : "") + " ";
  }
  EXPECT_EQ(
      menu,
      "Kivo を開く(&O) 詳細(&S) あの子嫌い(&B) | ログイン時に起動(&G)[0] | About(&A) Exit(&X) ");
  r.icon()->choose(MainWindow::TrayExit);
  EXPECT_TRUE(r.app.ended());
  EXPECT_EQ(r.icon(), nullptr);  // taken out of the notification area
  EXPECT_EQ(r.d.windows.window(7)->title, "memo");
}

TEST(TrayIcon, MenuItemsDoWhatTheWindowsButtonsDo) {
  Running r;
  sim::SimTrayIcon& icon = *r.icon();
  icon.choose(-1);  // a double-click opens the window, as a second start does
  EXPECT_TRUE(r.m->visible());
  EXPECT_EQ(r.m->windowState(), WindowState::Normal);
  EXPECT_EQ(r.d.windows.getForegroundWindow(), r.m->hwnd());

  // The window-list dialog opens modally; the menu, used meanwhile, only
  // brings the window up again instead of opening a second dialog.
  int opened = 0;
  r.d.toolkit.modalPump = [&] {
    if (r.m->windowListDialogIfLoaded() && opened++ == 0) icon.choose(MainWindow::TraySettings);
    return false;
  };
  icon.choose(MainWindow::TrayWindowList);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(r.m->settingsDialogIfLoaded(), nullptr);

  icon.choose(MainWindow::TrayAbout);
  ASSERT_EQ(r.d.toolkit.boxes().size(), 1u);
  EXPECT_EQ(r.d.toolkit.boxes()[0].title, "Kivo のバージョン情報");
}

TEST(TrayIcon, StartAtLoginFollowsTheDesktopAndARefusalIsTold) {
  Running r;
  sim::SimTrayIcon& icon = *r.icon();
  icon.choose(MainWindow::StartAtLogin);
  EXPECT_TRUE(r.d.program.startsAtLogin());
  EXPECT_EQ(r.m->loginStartBox->value(), 1);
  EXPECT_TRUE(icon.openMenu()[MainWindow::StartAtLogin].checked);
  // Switched off elsewhere: the window shows it when it comes up.
  r.d.program.setStartAtLogin(false);
  r.m->bringUp();
  EXPECT_EQ(r.m->loginStartBox->value(), 0);
  // A desktop that refuses: the user is told, and the box shows the truth.
  r.d.program.loginEntryRefused = true;
  r.m->loginStartBox->userClick();
  EXPECT_EQ(r.m->loginStartBox->value(), 0);
  ASSERT_EQ(r.d.toolkit.boxes().size(), 1u);
  EXPECT_EQ(r.d.toolkit.boxes()[0].text, "ログイン時の起動を変更できませんでした。");
}

TEST(TrayIcon, TheWindowsBoxTurnsItOffForGoodAndNoAreaIsNoFault) {
  Running r;
  r.m->trayIconBox->userClick();
  EXPECT_FALSE(r.icon()->shown());
  EXPECT_EQ(readText(r.d.store, keys::TrayIcon), "0");
  Running off("0");
  EXPECT_TRUE(off.icon() == nullptr || !off.icon()->shown());
  EXPECT_EQ(off.m->trayIconBox->value(), 0);
  // No notification area on this desktop: nothing is said.
  Running none(nullptr, false);
  none.m->tickTimer->fire();
  EXPECT_TRUE(none.d.toolkit.boxes().empty());
  EXPECT_FALSE(none.icon()->shown());
}

}  // namespace
}  // namespace kivo
