// The toolkit contract suite's cases, and the one comparison of a native
// form with its model.
#include "tests/contract/toolkit_contract.h"

#include <gmock/gmock.h>

#include <algorithm>

#include "app/program.h"
#include "platform/sim/sim_desktop.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"
#include "ui/window_list_dialog.h"

namespace kivo::contract {

namespace {

using ::testing::IsEmpty;

// The program on the rig's toolkit, the rest of the desktop simulated.
struct Program : sim::SimServices {
  explicit Program(Toolkit& toolkit) : platform{platformWith(toolkit)} {}
  Platform platform;
  Kivo app{platform};
};

class ToolkitContract : public ::testing::Test {
 protected:
  void SetUp() override { rig_ = makeToolkitRig(); }
  void TearDown() override { rig_.reset(); }
  ToolkitRig& rig() { return *rig_; }
  bool shown(const Form& f) {
    return rig().pumpUntil([&] {
      const auto v = rig().read(f);
      return v && v->form.visible && rig().reachable(f);
    });
  }

 private:
  std::unique_ptr<ToolkitRig> rig_;
};

TEST_F(ToolkitContract, TheProgramsWindowsShowTheirModelsWithNothingClipped) {
  // In both languages the windows speak.
  for (const char* language : {"ja", "en"}) {
    Program p(rig().toolkit());
    p.store.saveSetting("Main", "Language", language);
    p.store.saveSetting("Main", "WindowList0", "Notepad");
    p.store.saveSetting("Main", "Alarm", "1");
    p.app.start();
    MainWindow& m = *p.app.main();
    // The dialogs as their openers leave them before showing them.
    m.settingsDialog().show();
    m.windowListDialog().show();
    for (Form* f : std::initializer_list<Form*>{&m, &m.settingsDialog(), &m.windowListDialog()}) {
      EXPECT_THAT(viewDifferences(rig(), *f), IsEmpty()) << language;
      // Captions that do not fit, and controls that cross (where the
      // desktop draws text).
      EXPECT_THAT(rig().clipped(*f), IsEmpty()) << language;
    }
    p.app.end();
  }
}

TEST_F(ToolkitContract, PushesNeverComeBackAsInput) {
  KindsForm f(rig().toolkit());
  f.load();
  f.show();
  // Each change by code fires its handler once, through the model alone.
  f.check->setValue(1);
  f.opt[1]->setValue(true);
  f.box->setText("長いテキスト");
  f.list->setRow(0, "a");
  f.list->setRow(1, "b");
  f.list->setRow(2, "c");
  f.list->removeItem(0);
  f.list->setListIndex(1);
  f.check->setValue(2);
  rig().toolkit().doEvents();
  EXPECT_EQ(f.checkClicks, 2);
  EXPECT_EQ(f.optionClicks, 1);
  // Longer than the box takes from a user: an echo would come back cut.
  EXPECT_EQ(f.box->text(), "長いテキスト");
  EXPECT_THAT(viewDifferences(rig(), f), IsEmpty());
  // None selected is a state the model may hold, and the view shows it.
  f.opt[1]->setValue(false);
  f.list->setListIndex(-1);
  EXPECT_THAT(viewDifferences(rig(), f), IsEmpty());
  // A disabled or hidden frame takes its contents out of reach.
  f.frame->setEnabled(false);
  EXPECT_THAT(viewDifferences(rig(), f), IsEmpty());
  f.frame->setEnabled(true);
  f.frame->setVisible(false);
  EXPECT_THAT(viewDifferences(rig(), f), IsEmpty());
  f.frame->setVisible(true);
  // A caption changed by code is the one shown, a control's and the form's.
  // (Against the texts themselves: the model's side of viewDifferences is
  // built as the simulated desktop's views are.)
  f.frame->setCaption("別の枠");
  f.setCaption("別の題");
  const std::optional<NativeForm> seen = rig().read(f);
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->form.caption, "別の題");
  for (const auto& [control, view] : seen->controls) {
    if (control == f.frame) {
      EXPECT_EQ(view.caption, "別の枠");
    }
  }
  EXPECT_THAT(viewDifferences(f, seen), IsEmpty());
  EXPECT_EQ(f.checkClicks, 2);
  EXPECT_EQ(f.optionClicks, 1);
}

TEST_F(ToolkitContract, TheUsersInputGoesThroughTheModel) {
  KindsForm f(rig().toolkit());
  f.load();
  f.list->setRow(0, "a");
  f.list->setRow(1, "b");
  f.show();
  ASSERT_TRUE(shown(f));
  rig().click(*f.check);
  rig().click(*f.opt[0]);
  rig().click(*f.opt[0]);  // selected already
  EXPECT_EQ(f.check->value(), 1);
  EXPECT_TRUE(f.opt[0]->value());
  EXPECT_EQ(f.checkClicks, 1);
  EXPECT_EQ(f.optionClicks, 1);
  // Typing is cut to the model's limit, and the box shows what it holds.
  rig().type(*f.box, "1234");
  EXPECT_EQ(f.box->text(), "12");
  rig().select(*f.list, 1);
  EXPECT_EQ(f.list->listIndex(), 1);
  EXPECT_THAT(viewDifferences(rig(), f), IsEmpty());

  // An access key clicks its control; Enter and Esc press the default and
  // the cancel button wherever the focus is (on a desktop with keys).
  if (!rig().cannot(ToolkitPromise::KeysPressTheirControls)) {
    rig().press(*f.box, 'c');
    EXPECT_TRUE(rig().pumpUntil([&] { return f.checkClicks == 2; }));
    EXPECT_EQ(f.check->value(), 0);
    rig().press(*f.box, '\r');
    EXPECT_TRUE(rig().pumpUntil([&] { return f.okClicks == 1; }));
    rig().press(*f.list, '\x1b');
    EXPECT_TRUE(rig().pumpUntil([&] { return f.cancelClicks == 1; }));
  }
  const int checkClicks = f.checkClicks;

  // Nothing reaches a control behind a disabled or hidden frame.
  f.frame->setEnabled(false);
  rig().click(*f.check);
  f.frame->setEnabled(true);
  f.frame->setVisible(false);
  rig().click(*f.opt[1]);
  f.frame->setVisible(true);
  f.box->setEnabled(false);
  rig().type(*f.box, "9");
  f.list->setVisible(false);
  rig().select(*f.list, 0);
  rig().toolkit().doEvents();
  EXPECT_EQ(f.checkClicks, checkClicks);
  EXPECT_EQ(f.optionClicks, 1);
  EXPECT_EQ(f.box->text(), "12");
  EXPECT_EQ(f.list->listIndex(), 1);
  EXPECT_THAT(viewDifferences(rig(), f), IsEmpty());
}

TEST_F(ToolkitContract, AnAccessKeyTakenTwiceMovesTheFocusWithoutTicking) {
  if (const auto why = rig().cannot(ToolkitPromise::AccessKeysMoveTheFocus)) GTEST_SKIP() << *why;
  Program p(rig().toolkit());
  p.app.start();
  SettingsDialog& s = p.app.main()->settingsDialog();
  s.show();
  ASSERT_TRUE(shown(s));
  CheckBox& pika = *s.signalBoxes[0];
  CheckBox& furu = *s.signalBoxes[1];
  rig().focus(pika);
  const int pikaValue = pika.value(), furuValue = furu.value();
  // Each press gives the focus to the other of the two (where the first
  // press lands may depend on the toolkit), never ticking either.
  std::vector<const Control*> visited;
  for (int i = 0; i < 3; ++i) {
    rig().press(rig().focused(s) == &furu ? furu : pika, 'p');
    visited.push_back(rig().focused(s));
  }
  EXPECT_GE(std::count(visited.begin(), visited.end(), &furu), 1);
  EXPECT_GE(std::count(visited.begin(), visited.end(), &pika), 1);
  EXPECT_NE(visited[1], visited[2]);
  EXPECT_EQ(pika.value(), pikaValue);
  EXPECT_EQ(furu.value(), furuValue);
  // A label's key moves to the control after it.
  rig().press(pika, 'm');
  EXPECT_EQ(rig().focused(s), s.fields[3]);
}

TEST_F(ToolkitContract, TheUsersWindowChangesReachTheModel) {
  Program p(rig().toolkit());
  p.app.start();
  MainWindow& m = *p.app.main();
  rig().settle();
  m.show();
  ASSERT_TRUE(shown(m));
  rig().setState(m, WindowState::Minimized);
  EXPECT_TRUE(rig().pumpUntil([&] { return m.windowState() == WindowState::Minimized; }));
  rig().setState(m, WindowState::Normal);
  EXPECT_TRUE(rig().pumpUntil([&] { return m.windowState() == WindowState::Normal; }));
  EXPECT_THAT(viewDifferences(rig(), m), IsEmpty());
  // The main window's close box ends the program (a dialog's unloads it:
  // the modal dialog case).
  rig().close(m);
  EXPECT_TRUE(rig().pumpUntil([&] { return p.app.ended(); }));
}

TEST_F(ToolkitContract, AModalDialogLocksItsOwnerUntilItCloses) {
  Toolkit& tk = rig().toolkit();
  TimersForm owner(tk, "frmOwner"), dialog(tk, "frmDialog");
  owner.load();
  owner.show();
  ASSERT_TRUE(shown(owner));
  bool lockedMeanwhile = false;
  // The owner's timer goes on while the dialog runs, and closes it.
  owner.onA = [&] {
    if (owner.aFires < 3) return;
    owner.a->setEnabled(false);
    lockedMeanwhile = !rig().reachable(owner) && rig().reachable(dialog);
    // The owner cannot be closed while the dialog is open; the dialog can.
    rig().close(owner);
    rig().close(dialog);
  };
  TimersForm::start(*owner.a, 20);
  dialog.showModal(owner.hwnd());
  EXPECT_TRUE(dialog.closed());
  EXPECT_FALSE(owner.closed());
  EXPECT_TRUE(lockedMeanwhile);
  EXPECT_TRUE(rig().reachable(owner));
}

TEST_F(ToolkitContract, TheMainLoopRunsUntilAQuitLeavesTheBoxAndTheDialog) {
  Toolkit& tk = rig().toolkit();
  TimersForm owner(tk, "frmOwner"), dialog(tk, "frmDialog");
  owner.load();
  dialog.load();
  int boxAnswer = -1, aAtQuit = 0;
  // The main loop runs the owner's timer; its fifth firing opens the dialog.
  owner.onA = [&] {
    if (owner.aFires != 5) return;
    TimersForm::start(*dialog.a, 10);
    TimersForm::start(*dialog.b, 30);
    dialog.showModal(owner.hwnd());
  };
  // In the dialog, a box waits; the other timer fires meanwhile and quits.
  dialog.onA = [&] {
    dialog.a->setEnabled(false);
    boxAnswer = tk.messageBox(dialog.hwnd(), "Kivo toolkit test", "Kivo", kMbOkOnly);
  };
  dialog.onB = [&] {
    if (dialog.bFires < 3) return;
    aAtQuit = dialog.aFires;
    tk.quit();
    EXPECT_EQ(tk.messageBox(0, "never shown", "Kivo", kMbOkOnly), 0);
  };
  TimersForm::start(*owner.a, 10);
  EXPECT_EQ(rig().run(), 0);
  EXPECT_NE(boxAnswer, -1);  // the box was left
  EXPECT_GE(dialog.bFires, 3);
  EXPECT_FALSE(dialog.closed());
  // No timer fires once the program has quit, and the loop returns at once.
  tk.doEvents();
  EXPECT_EQ(owner.aFires, 5);
  EXPECT_EQ(dialog.aFires, aAtQuit);
  EXPECT_EQ(rig().run(), 0);
}

}  // namespace
}  // namespace kivo::contract
