// Tests of the main window: its controls, options, buttons, version box and centring.
#include <gtest/gtest.h>

#include <string>

#include "tests/unit/program_rig.h"
#include "ui/settings_dialog.h"
#include "ui/window_list_dialog.h"

namespace kivo {
namespace {

using testing::RunningProgram;

// The user's options through the views: each view keeps step with its model,
// OK stores, Cancel reloads from the store. (The defaults a fresh store gives
// are printed by the interface scenario.)
TEST(MainWindow, ViewsKeepStepOkStoresCancelReloads) {
  RunningProgram s({{keys::CheckInterval, "100"}});  // out of range
  MainWindow& m = s.m();
  sim::SimToolkit& tk = s.d.toolkit;
  EXPECT_FALSE(m.visible());  // started hidden
  EXPECT_EQ(m.windowState(), WindowState::Minimized);
  EXPECT_TRUE(m.precision[MainWindow::Middle]->value());
  EXPECT_EQ(m.tickTimer->interval(), 250);
  s.expectInStep("start-up");
  s.bringUp();
  s.expectInStep("brought up");
  EXPECT_EQ(m.defaultButton(), m.buttons[MainWindow::Ok]);
  EXPECT_EQ(m.cancelButton(), m.buttons[MainWindow::Cancel]);
  EXPECT_TRUE(tk.userClick(*m.clockOnRight));
  EXPECT_TRUE(tk.userClick(*m.precision[MainWindow::Low]));
  EXPECT_TRUE(tk.userClick(*m.style[1]));
  s.expectInStep("options chosen");
  // The option button cleared by the choice shows it.
  EXPECT_EQ(tk.view(*m.precision[MainWindow::Middle])->value, 0);
  EXPECT_EQ(tk.view(*m.precision[MainWindow::Low])->value, 1);
  EXPECT_EQ(s.app.settings().layout.clockRight, 1);  // at once, without storing
  EXPECT_EQ(s.stored(keys::ClockRight), "0");
  EXPECT_TRUE(tk.userClick(*m.buttons[MainWindow::Ok]));
  s.expectInStep("OK");
  EXPECT_EQ(s.stored(keys::CheckInterval), "1000");
  EXPECT_EQ(s.stored(keys::UserTaste), "1");
  EXPECT_EQ(s.stored(keys::ClockRight), "1");
  EXPECT_EQ(m.tickTimer->interval(), 250);  // the running tick keeps its pace
  EXPECT_EQ(s.app.settings().clockTemplate, "%h:nn%,%m%/%d%");
  EXPECT_FALSE(tk.view(m)->visible);
  s.bringUp();
  EXPECT_TRUE(tk.userSetState(m, WindowState::Minimized));
  EXPECT_TRUE(tk.userSetState(m, WindowState::Normal));
  s.expectInStep("restored");
  EXPECT_TRUE(tk.userClick(*m.clockOnRight));
  EXPECT_TRUE(tk.userClick(*m.style[0]));
  EXPECT_TRUE(tk.userClick(*m.buttons[MainWindow::Cancel]));
  s.expectInStep("Cancel reloads");
  EXPECT_EQ(tk.view(*m.clockOnRight)->value, 1);
  EXPECT_EQ(tk.view(*m.style[1])->value, 1);
  EXPECT_EQ(s.app.settings().layout.clockRight, 1);
  EXPECT_EQ(m.tickTimer->interval(), 1000);
  EXPECT_TRUE(tk.boxes().empty());
}

TEST(MainWindow, BrokenStoredOptionsOnCancelAndOk) {
  RunningProgram r;
  writeText(r.d.store, keys::UserTaste, "abc");
  r.m().buttons[MainWindow::Cancel]->click();  // reported, the window goes on with the defaults
  ASSERT_EQ(r.d.toolkit.boxes().size(), 1u);
  EXPECT_NE(r.d.toolkit.boxes()[0].text.find("frmMain!cmdMain_Click"), std::string::npos);
  EXPECT_EQ(r.d.toolkit.boxes()[0].owner, 0u);  // the error reporter's box has no owner
  EXPECT_TRUE(r.m().style[0]->value());
  EXPECT_EQ(r.m().tickTimer->interval(), 250);

  writeText(r.d.store, keys::Show24h, "abc");
  const std::string before = r.app.settings().clockTemplate;
  r.m().buttons[MainWindow::Ok]->click();  // the template in use stays
  EXPECT_EQ(r.d.toolkit.boxes().size(), 2u);
  EXPECT_EQ(r.app.settings().clockTemplate, before);
}

// The box's title is the tray test's; here the letters each companion adds.
TEST(MainWindow, VersionBox) {
  RunningProgram r({{keys::Vudadiz, "1"}, {keys::KivoTT, "1"}, {keys::KivoXX, "1"}});
  r.m().buttons[MainWindow::About]->click();
  ASSERT_EQ(r.d.toolkit.boxes().size(), 1u);
  const sim::RecordedBox& box = r.d.toolkit.boxes()[0];
  EXPECT_EQ(box.owner, r.m().hwnd());
  EXPECT_EQ(box.style, 4096);
  EXPECT_NE(box.text.find("\r\n      Version 1.45HTX   Japanese\r\n"), std::string::npos);
  RunningProgram other({{keys::KivoTT, "2"}});  // only a 1 earns its letter
  EXPECT_NE(other.m().versionText().find("\r\n         Version 1.45   Japanese\r\n"),
            std::string::npos);
}

TEST(MainWindow, CentresOnRestoreButNotWhileMinimized) {
  RunningProgram r;
  MainWindow& m = r.m();
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
  RunningProgram r({{keys::KivoXX, "1"}, {keys::XXFormat, "%h%"}});
  MainWindow& m = r.m();
  writeText(r.d.store, keys::WindowList[0], "Notepad");
  m.show();
  m.setWindowState(WindowState::Normal);
  std::string seen;
  r.d.toolkit.modalPump = [&] {
    for (const Form* dialog : r.d.toolkit.modalForms())
      EXPECT_EQ(r.d.toolkit.modalOwner(*dialog), m.hwnd()) << dialog->name();
    if (WindowListDialog* w = m.windowListDialogIfLoaded()) {
      seen += "wset rows " + std::to_string(w->list->listCount()) + ", main minimized " +
              std::to_string(m.windowState() == WindowState::Minimized) + "; ";
    }
    if (SettingsDialog* f = m.settingsDialogIfLoaded()) {
      seen += "set " + std::to_string(f->displayBoxes[SettingsDialog::Hours24]->enabled()) +
              std::to_string(f->displayBoxes[SettingsDialog::EqualsSeparator]->enabled()) + "; ";
    }
    return false;  // the user closes the dialog
  };
  m.dialogButtons[MainWindow::OpenWindowList]->click();
  m.dialogButtons[MainWindow::OpenSettings]->click();
  EXPECT_EQ(seen, "wset rows 1, main minimized 1; set 01; ");
  EXPECT_EQ(m.windowListDialogIfLoaded(), nullptr);
  EXPECT_EQ(m.settingsDialogIfLoaded(), nullptr);
  EXPECT_EQ(m.windowState(), WindowState::Normal);
  EXPECT_EQ(m.left(), (r.d.toolkit.screenWidthTwips() - m.width()) / 2);
  EXPECT_TRUE(r.d.toolkit.boxes().empty());
  m.buttons[MainWindow::Ok]->click();  // OK keeps the custom template
  EXPECT_EQ(r.app.settings().clockTemplate, "%h%");
}

}  // namespace
}  // namespace kivo
