// Tests of the views the simulated desktop keeps from the forms' change
// reports: after real sequences of the program every view equals its model
// and no report was idle; the reports a user's input makes; the model
// refuses input out of reach; after quit() neither the user nor the window
// functions reach a form (the rest of the toolkit's promises are the toolkit
// contract suite's, which runs on the simulated desktop too).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/program.h"
#include "platform/sim/sim_desktop.h"
#include "settings/layout.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"
#include "ui/window_list_dialog.h"

namespace kivo {
namespace {

using Lines = std::vector<std::string>;

// A program on the simulated desktop whose dialogs run a list of user steps.
struct Session {
  sim::SimDesktop d;
  Kivo app{d.platform};
  std::vector<std::function<void()>> steps;
  std::size_t next = 0;

  explicit Session(const char* kivoXX = "0") {
    writeText(d.store, keys::KivoXX, kivoXX);
    d.toolkit.modalPump = [this] {
      if (next == steps.size()) return false;
      steps[next++]();
      return true;
    };
    app.start();
  }
  MainWindow& m() { return *app.main(); }
  // Every view against its model, and the reports that changed nothing.
  void expectInStep(const char* where) {
    SCOPED_TRACE(where);
    EXPECT_EQ(d.toolkit.staleViews(), Lines{});
    EXPECT_EQ(d.toolkit.idleReports(), std::vector<sim::Report>{});
  }
  // What a second start does to the running instance's window.
  void bringUp() { d.windows.showWindow(m().hwnd(), kSwShowNormal); }
};

TEST(Views, MainWindowStartUpAndOptions) {
  Session s;
  s.expectInStep("start-up");
  const sim::FormView& shown = *s.d.toolkit.view(s.m());
  EXPECT_FALSE(shown.visible);
  EXPECT_EQ(shown.state, WindowState::Minimized);
  EXPECT_EQ(shown.caption, kMainCaption);
  EXPECT_EQ(shown.left, -s.m().width());
  EXPECT_EQ(shown.icon, kProgramIcon);
  EXPECT_EQ(shown.font, FontSpec{});

  s.bringUp();
  s.expectInStep("brought up");
  EXPECT_TRUE(shown.visible);
  EXPECT_EQ(shown.left, (s.d.toolkit.screenWidthTwips() - s.m().width()) / 2);

  sim::SimToolkit& tk = s.d.toolkit;
  EXPECT_TRUE(tk.userClick(*s.m().clockOnRight));
  EXPECT_TRUE(tk.userClick(*s.m().precision[2]));
  EXPECT_TRUE(tk.userClick(*s.m().style[1]));
  s.expectInStep("options chosen");
  // The option button cleared by the choice shows it.
  EXPECT_EQ(tk.view(*s.m().precision[1])->value, 0);
  EXPECT_EQ(tk.view(*s.m().precision[2])->value, 1);
  EXPECT_TRUE(tk.userClick(*s.m().buttons[MainWindow::Ok]));
  s.expectInStep("OK");
  EXPECT_FALSE(shown.visible);

  s.bringUp();
  // Dragged away, minimized and restored from the caption bar: centred again.
  s.d.windows.setWindowPos(s.m().hwnd(), kHwndTop, 10, 10, 0, 0, kSwpNoSize);
  EXPECT_TRUE(tk.userSetState(s.m(), WindowState::Minimized));
  EXPECT_EQ(shown.left, 150);
  EXPECT_TRUE(tk.userSetState(s.m(), WindowState::Normal));
  EXPECT_EQ(shown.left, (tk.screenWidthTwips() - s.m().width()) / 2);
  s.expectInStep("restored");
  EXPECT_TRUE(tk.userClick(*s.m().clockOnRight));
  EXPECT_TRUE(tk.userClick(*s.m().style[0]));
  EXPECT_TRUE(tk.userClick(*s.m().buttons[MainWindow::Cancel]));
  s.expectInStep("Cancel reloads");
  EXPECT_EQ(tk.view(*s.m().clockOnRight)->value, 1);
  EXPECT_EQ(tk.view(*s.m().style[1])->value, 1);

  // The custom template takes the taste out of the user's reach.
  Session x("1");
  x.expectInStep("custom template");
  EXPECT_FALSE(x.d.toolkit.view(*x.m().style[1])->enabled);
  x.bringUp();
  EXPECT_FALSE(x.d.toolkit.userClick(*x.m().style[1]));
}

TEST(Views, SettingsDialogLoadOkAndCancel) {
  Session s;
  sim::SimToolkit& tk = s.d.toolkit;
  SettingsDialog* f = nullptr;
  Hwnd dialog = 0;
  s.steps = {
      [&] {
        f = s.m().settingsDialogIfLoaded();
        dialog = f->hwnd();
        s.expectInStep("loaded");
        EXPECT_EQ(tk.modalOwner(*f), s.m().hwnd());
        EXPECT_TRUE(tk.view(*f->fields[0])->font.bold);
        EXPECT_FALSE(tk.view(*f->displayBoxes[0])->font.bold);
        EXPECT_EQ(tk.view(*f->fields[1])->maxLength, 2);
        EXPECT_EQ(tk.view(*f)->icon, kNoIcon);
        // The chime's options are out of reach until the chime is on.
        EXPECT_FALSE(tk.userClick(*f->signalBoxes[3]));
        EXPECT_TRUE(tk.userClick(*f->signalBoxes[2]));
        EXPECT_TRUE(tk.view(*f->signalBoxes[3])->enabled);
        EXPECT_TRUE(tk.userClick(*f->signalBoxes[3]));
        EXPECT_TRUE(tk.userClick(*f->signalBoxes[4]));  // offers 12:00
        EXPECT_TRUE(tk.userType(*f->fields[0], "x"));
        EXPECT_TRUE(tk.userType(*f->fields[2], "305"));
        s.expectInStep("edited");
        EXPECT_EQ(tk.view(*f->fields[1])->text, "12");
        EXPECT_EQ(tk.view(*f->fields[2])->text, "30");
        // The main window behind the dialog takes nothing.
        EXPECT_FALSE(tk.userClick(*s.m().buttons[MainWindow::About]));
      },
      [&] {
        tk.userClick(*f->signalBoxes[1]);
        tk.userClick(*f->buttons[0]);  // the count is refused: its box, then OK closes
      },
  };
  tk.userClick(*s.m().dialogButtons[MainWindow::OpenSettings]);
  EXPECT_EQ(s.next, 2u);
  s.expectInStep("after OK");
  ASSERT_EQ(tk.boxes().size(), 1u);
  EXPECT_EQ(tk.boxes()[0].owner, dialog);
  EXPECT_EQ(readText(s.d.store, keys::PipoHato), "1");

  // With the custom template the display boxes but " = " are disabled.
  Session x("1");
  sim::SimToolkit& xtk = x.d.toolkit;
  x.steps.push_back([&] {
    f = x.m().settingsDialogIfLoaded();
    x.expectInStep("custom template");
    EXPECT_FALSE(xtk.view(*f->displayBoxes[SettingsDialog::Hours24])->enabled);
    EXPECT_FALSE(xtk.userClick(*f->displayBoxes[SettingsDialog::Hours24]));
    EXPECT_TRUE(xtk.userClick(*f->displayBoxes[SettingsDialog::EqualsSeparator]));
    EXPECT_EQ(x.app.settings().layout.equalsSeparator, 0);
    xtk.userClick(*f->buttons[SettingsDialog::CancelButton]);
  });
  xtk.userClick(*x.m().dialogButtons[MainWindow::OpenSettings]);
  x.expectInStep("after Cancel");
  EXPECT_EQ(x.app.settings().layout.equalsSeparator, 1);
}

TEST(Views, WindowListTailingAndRemoval) {
  Session s;
  sim::SimToolkit& tk = s.d.toolkit;
  s.d.windows.addWindow(0x500, "Notepad", "memo");
  writeText(s.d.store, keys::WindowList[0], "Edit");
  WindowListDialog* w = nullptr;
  s.steps = {
      [&] {
        w = s.m().windowListDialogIfLoaded();
        s.expectInStep("opened");
        EXPECT_EQ(tk.view(*w->list)->rows, Lines{"Edit"});
        EXPECT_EQ(tk.view(s.m())->state, WindowState::Minimized);
        tk.userClick(*w->buttons[0]);
        EXPECT_EQ(tk.view(*w)->state, WindowState::Minimized);
        s.d.windows.focus(0x500);
        s.d.toolkit.runFor(5250);
        s.expectInStep("tailed");
        EXPECT_EQ(tk.view(*w)->state, WindowState::Normal);
        EXPECT_EQ(tk.view(*w->list)->rows, (Lines{"Edit", "Notepad"}));
      },
      [&] {
        EXPECT_FALSE(tk.userSelect(*w->list, 2));  // no such row on screen
        EXPECT_TRUE(tk.userSelect(*w->list, 1));
        EXPECT_EQ(tk.view(*w->list)->selection, 1);
        tk.userClick(*w->buttons[1]);
        s.expectInStep("removed");
        EXPECT_EQ(tk.view(*w->list)->selection, -1);
        tk.userSelect(*w->list, 0);
        tk.userClick(*w->buttons[1]);
        s.expectInStep("emptied");
        tk.userClick(*w->buttons[2]);
      },
  };
  tk.userClick(*s.m().dialogButtons[MainWindow::OpenWindowList]);
  EXPECT_EQ(s.next, 2u);
  s.expectInStep("closed");
  EXPECT_EQ(tk.view(s.m())->state, WindowState::Normal);
  EXPECT_EQ(readText(s.d.store, keys::WindowList[0]), "");
}

class Panel : public Form {
 public:
  explicit Panel(Toolkit& tk)
      : Form(tk, "frmPanel", "Panel", 3000, 2000, BorderStyle::FixedDialog) {
    fra = &add<Frame>("fraPanel", -1, "", {120, 120, 2000, 1200});
    for (int i = 0; i < 2; ++i)
      opt[i] = &add<OptionButton>("optPanel", i, "", {180, 300 + 400 * i, 900, 312}, fra);
    chk = &add<CheckBox>("chkPanel", -1, "", {180, 1100, 900, 312}, fra);
    txt = &add<TextBox>("txtPanel", -1, "", {180, 1500, 600, 312});
    lst = &add<ListBox>("lstPanel", -1, "", {1000, 1500, 900, 400});
    cmd = &add<CommandButton>("cmdPanel", -1, "OK", {2000, 1500, 900, 372});
    tmr = &add<Timer>("tmrPanel", -1, "", {});
    tmr->setInterval(100);
    tmr->onTimer = [this] { ++ticks; };
    opt[0]->setValue(true);
    lst->setRow(0, "A");
    for (int i = 0; i < 2; ++i) opt[i]->onClick = [this, i] { ++optClicks[i]; };
    // A handler that changes other controls: their reports must not come
    // back as clicks.
    chk->onClick = [this] {
      ++chkClicks;
      opt[chk->value()]->setValue(true);
      txt->setText(chk->value() ? "on" : "off");
    };
    cmd->onClick = [this] { ++cmdClicks; };
  }
  void onResize() override { ++resizes; }
  void onUnload() override { ++unloads; }
  Frame* fra;
  OptionButton* opt[2];
  CheckBox* chk;
  TextBox* txt;
  ListBox* lst;
  CommandButton* cmd;
  Timer* tmr;
  int optClicks[2] = {0, 0}, chkClicks = 0, cmdClicks = 0, ticks = 0, resizes = 0, unloads = 0;
};

TEST(Views, UserInputRunsEachHandlerOnceAndOnlyWithinReach) {
  sim::SimDesktop d;
  sim::SimToolkit& tk = d.toolkit;
  Panel p(tk);
  p.load();
  p.show();
  d.toolkit.clearReports();
  EXPECT_TRUE(tk.userClick(*p.chk));
  EXPECT_EQ(p.chkClicks, 1);
  EXPECT_EQ(p.optClicks[1], 1);
  EXPECT_EQ(p.optClicks[0], 0);
  EXPECT_EQ(tk.reports(), (std::vector<sim::Report>{{"frmPanel", "chkPanel", kChangeValue},
                                                    {"frmPanel", "optPanel(0)", kChangeValue},
                                                    {"frmPanel", "optPanel(1)", kChangeValue},
                                                    {"frmPanel", "txtPanel", kChangeValue}}));
  EXPECT_TRUE(tk.userClick(*p.opt[1]));  // selected already: nothing happens
  EXPECT_EQ(p.optClicks[1], 1);
  EXPECT_TRUE(tk.userClick(*p.cmd));
  EXPECT_EQ(p.cmdClicks, 1);
  EXPECT_TRUE(tk.userType(*p.txt, "typed"));
  EXPECT_TRUE(tk.userSelect(*p.lst, 0));
  EXPECT_EQ(tk.staleViews(), Lines{});
  EXPECT_TRUE(tk.idleReports().empty());

  // Out of reach the model refuses on its own, whatever a view lets through
  // (that the views refuse too is the toolkit contract suite's).
  p.fra->setVisible(false);
  p.txt->setEnabled(false);
  p.lst->setVisible(false);
  EXPECT_FALSE(p.chk->userClick());
  EXPECT_FALSE(p.opt[0]->userClick());
  EXPECT_FALSE(p.txt->userType("x"));
  EXPECT_FALSE(p.lst->userSelect(0));
  EXPECT_EQ(p.chkClicks, 1);
  EXPECT_EQ(p.txt->text(), "typed");
  EXPECT_EQ(tk.staleViews(), Lines{});
  EXPECT_TRUE(tk.idleReports().empty());
}

// Once the handler that called quit() returns, nothing of the program runs:
// the modal loop is left (the dialog is not unloaded), boxes are not shown,
// no timer fires, and neither the user nor the window functions reach a form.
TEST(Views, QuitEndsTheProgramFromInsideADialog) {
  sim::SimDesktop d;
  sim::SimToolkit& tk = d.toolkit;
  Panel owner(tk), dialog(tk);
  owner.load();
  owner.show();
  int answer = -1, pumped = 0;
  dialog.cmd->onClick = [&] {
    tk.quit();
    answer = tk.messageBox(dialog.hwnd(), "bye", "Kivo", kMbOkOnly | kMbSystemModal);
  };
  tk.modalPump = [&] {
    if (++pumped == 1) {
      tk.runFor(250);
      EXPECT_TRUE(tk.userClick(*dialog.cmd));
    }
    return true;
  };
  dialog.showModal(owner.hwnd());
  EXPECT_EQ(pumped, 1);
  EXPECT_EQ(answer, 0);
  EXPECT_TRUE(tk.boxes().empty());
  EXPECT_FALSE(dialog.closed());
  EXPECT_EQ(dialog.unloads, 0);
  const int ticks = owner.ticks + dialog.ticks;
  EXPECT_EQ(ticks, 4);  // 100 and 200 ms, each form
  tk.runFor(10000);
  tk.doEvents();
  owner.tmr->setInterval(50);
  tk.runFor(1000);
  EXPECT_EQ(owner.ticks + dialog.ticks, ticks);
  EXPECT_FALSE(tk.userClick(*owner.cmd));
  EXPECT_FALSE(tk.userClose(owner));
  EXPECT_EQ(owner.cmdClicks, 0);
  d.windows.showWindow(owner.hwnd(), kSwMinimize);
  EXPECT_EQ(owner.windowState(), WindowState::Normal);
  EXPECT_EQ(owner.resizes, 1);
}

}  // namespace
}  // namespace kivo
