// Tests of the main window: its controls, options, buttons, version box and centring.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/program.h"
#include "platform/sim/sim_desktop.h"
#include "settings/layout.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"
#include "ui/window_list_dialog.h"

namespace kivo {
namespace {

using Stored = std::vector<std::pair<SettingKey, std::string>>;

struct Running {
  sim::SimDesktop d;
  Kivo app{d.platform};
  MainWindow* m = nullptr;
  explicit Running(const char* interval = nullptr, const Stored& stored = {}) {
    if (interval) writeText(d.store, keys::CheckInterval, interval);
    for (const auto& [key, value] : stored) writeText(d.store, key, value);
    app.start();
    m = app.main();
  }
  std::string stored(const SettingKey& k) { return readText(d.store, k); }
};

TEST(MainWindow, FreshStoreAndAnIntervalOutOfRange) {
  for (const char* stored : {static_cast<const char*>(nullptr), "100"}) {
    Running r(stored);
    EXPECT_FALSE(r.m->visible());  // started hidden
    EXPECT_EQ(r.m->windowState(), WindowState::Minimized);
    EXPECT_EQ(r.app.settings().layout.equalsSeparator, 1);
    EXPECT_TRUE(r.m->precision[MainWindow::Middle]->value());
    EXPECT_EQ(r.m->tickTimer->interval(), 250);
    EXPECT_EQ(r.app.settings().checkInterval, 250);
    EXPECT_TRUE(r.m->style[0]->value());
    EXPECT_EQ(r.m->clockOnRight->value(), 0);
    EXPECT_EQ(r.app.settings().layout.clockRight, 0);
    EXPECT_EQ(r.stored(keys::CheckInterval), stored ? stored : "250");
    r.m->buttons[MainWindow::Ok]->click();  // OK writes the interval in use
    EXPECT_EQ(r.stored(keys::CheckInterval), "250");
  }
}

TEST(MainWindow, OkStoresCancelReloads) {
  Running r;
  EXPECT_EQ(r.m->defaultButton(), r.m->buttons[MainWindow::Ok]);
  EXPECT_EQ(r.m->cancelButton(), r.m->buttons[MainWindow::Cancel]);
  r.m->precision[MainWindow::Low]->userClick();  // Low
  r.m->style[1]->userClick();
  r.m->clockOnRight->userClick();
  EXPECT_EQ(r.app.settings().layout.clockRight, 1);  // at once, without storing
  EXPECT_EQ(r.stored(keys::ClockRight), "0");
  r.m->buttons[MainWindow::Ok]->click();
  EXPECT_EQ(r.stored(keys::CheckInterval), "1000");
  EXPECT_EQ(r.stored(keys::UserTaste), "1");
  EXPECT_EQ(r.stored(keys::ClockRight), "1");
  EXPECT_EQ(r.m->tickTimer->interval(), 250);  // the running tick keeps its pace
  EXPECT_EQ(r.app.settings().clockTemplate, "%h:nn%,%m%/%d%");
  EXPECT_FALSE(r.m->visible());
  EXPECT_EQ(r.m->windowState(), WindowState::Minimized);

  r.m->clockOnRight->userClick();
  r.m->style[0]->userClick();
  r.m->buttons[MainWindow::Cancel]->click();  // Cancel
  EXPECT_EQ(r.app.settings().layout.clockRight, 1);
  EXPECT_TRUE(r.m->style[1]->value());
  EXPECT_EQ(r.m->tickTimer->interval(), 1000);
  EXPECT_TRUE(r.d.toolkit.boxes().empty());
}

TEST(MainWindow, BrokenStoredOptionsOnCancelAndOk) {
  Running r;
  writeText(r.d.store, keys::UserTaste, "abc");
  r.m->buttons[MainWindow::Cancel]->click();  // reported, and the window goes on with the defaults
  ASSERT_EQ(r.d.toolkit.boxes().size(), 1u);
  EXPECT_NE(r.d.toolkit.boxes()[0].text.find("frmMain!cmdMain_Click"), std::string::npos);
  EXPECT_EQ(r.d.toolkit.boxes()[0].owner, 0u);  // the error reporter's box has no owner
  EXPECT_TRUE(r.m->style[0]->value());
  EXPECT_EQ(r.m->tickTimer->interval(), 250);

  writeText(r.d.store, keys::Show24h, "abc");
  const std::string before = r.app.settings().clockTemplate;
  r.m->buttons[MainWindow::Ok]->click();  // the template in use stays
  EXPECT_EQ(r.d.toolkit.boxes().size(), 2u);
  EXPECT_EQ(r.app.settings().clockTemplate, before);
}

TEST(MainWindow, VersionBox) {
  Running r(nullptr, {{keys::Vudadiz, "1"}, {keys::KivoTT, "1"}, {keys::KivoXX, "1"}});
  r.m->buttons[MainWindow::About]->click();
  ASSERT_EQ(r.d.toolkit.boxes().size(), 1u);
  const sim::RecordedBox& box = r.d.toolkit.boxes()[0];
  EXPECT_EQ(box.owner, r.m->hwnd());
  EXPECT_EQ(box.style, 4096);
  EXPECT_EQ(box.title, "Kivo のバージョン情報");
  EXPECT_EQ(
      box.text,
      "        Kivo for Windows NT/95\r\n\r\n         - Welmark -\r\n\r\n"
      "      Version 1.45HTX   Japanese\r\n\r\n\r\nCopyright (C) Welmark. All rights reserved.");
  Running other(nullptr, {{keys::KivoTT, "2"}});  // only a 1 earns its letter
  EXPECT_NE(other.m->versionText().find("\r\n         Version 1.45   Japanese\r\n"),
            std::string::npos);
}

TEST(MainWindow, CentresOnRestoreButNotWhileMinimized) {
  Running r;
  MainWindow& m = *r.m;
  m.show();
  m.move(100, 200);
  m.nativeStateChanged(WindowState::Minimized, true);
  EXPECT_EQ(m.left(), 100);
  EXPECT_EQ(m.top(), 200);
  m.nativeStateChanged(WindowState::Normal, true);
  EXPECT_EQ(m.left(), (r.d.toolkit.screenWidthTwips() - m.width()) / 2);
  EXPECT_EQ(m.top(), (r.d.toolkit.screenHeightTwips() - m.height()) / 2);
  // A screen smaller than the window: the odd difference of -87 twips is
  // halved toward zero.
  r.d.toolkit.setScreen(333, 268);
  m.nativeStateChanged(WindowState::Minimized, true);
  m.nativeStateChanged(WindowState::Normal, true);
  EXPECT_EQ(m.left(), -43);
  EXPECT_EQ(m.top(), -43);
}

TEST(MainWindow, DialogButtonsOpenFreshDialogsAndDiscardThem) {
  Running r(nullptr, {{keys::KivoXX, "1"}, {keys::XXFormat, "%h%"}});
  writeText(r.d.store, keys::WindowList[0], "Notepad");
  r.m->show();
  r.m->setWindowState(WindowState::Normal);
  std::string seen;
  r.d.toolkit.modalPump = [&] {
    for (const Form* dialog : r.d.toolkit.modalForms())
      EXPECT_EQ(r.d.toolkit.modalOwner(*dialog), r.m->hwnd()) << dialog->name();
    if (WindowListDialog* w = r.m->windowListDialogIfLoaded()) {
      seen += "wset rows " + std::to_string(w->list->listCount()) + ", main minimized " +
              std::to_string(r.m->windowState() == WindowState::Minimized) + "; ";
    }
    if (SettingsDialog* f = r.m->settingsDialogIfLoaded()) {
      seen += "set " + std::to_string(f->displayBoxes[SettingsDialog::Hours24]->enabled()) +
              std::to_string(f->displayBoxes[SettingsDialog::EqualsSeparator]->enabled()) + "; ";
    }
    return false;  // the user closes the dialog
  };
  r.m->dialogButtons[MainWindow::OpenWindowList]->click();
  r.m->dialogButtons[MainWindow::OpenSettings]->click();
  EXPECT_EQ(seen, "wset rows 1, main minimized 1; set 01; ");
  EXPECT_EQ(r.m->windowListDialogIfLoaded(), nullptr);
  EXPECT_EQ(r.m->settingsDialogIfLoaded(), nullptr);
  EXPECT_EQ(r.m->windowState(), WindowState::Normal);
  EXPECT_EQ(r.m->left(), (r.d.toolkit.screenWidthTwips() - r.m->width()) / 2);
  EXPECT_TRUE(r.d.toolkit.boxes().empty());
  r.m->buttons[MainWindow::Ok]->click();  // OK keeps the custom template
  EXPECT_EQ(r.app.settings().clockTemplate, "%h%");
}

}  // namespace
}  // namespace kivo
