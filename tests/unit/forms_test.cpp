// Tests of the forms model (click-on-change values, option groups, list
// rows, timers that never nest, the lifecycle, the change reports) and of
// the simulated desktop's views, timers and window functions; the rest of
// the toolkit's promises are the toolkit contract suite's, which runs on the
// simulated desktop too.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/sim/sim_desktop.h"
#include "tests/unit/error_of.h"
#include "ui/forms.h"

namespace kivo {
namespace {

using testing::errorOf;

class TestForm : public Form {
 public:
  explicit TestForm(Toolkit& tk)
      : Form(tk, "frmTest", "テスト", 4000, 3000, BorderStyle::FixedDialog) {
    fra = &add<Frame>("fraTest", -1, "枠", {120, 120, 2000, 1200});
    for (int i = 0; i < 2; ++i)
      opt[i] = &add<OptionButton>("optTest", i, "", {180, 300, 900, 312}, fra);
    for (int i = 2; i < 4; ++i)
      opt[i] = &add<OptionButton>("optTest", i, "", {2400, 300, 900, 312});
    chk = &add<CheckBox>("chkTest", -1, "", {180, 700, 900, 312}, fra);
    txt = &add<TextBox>("txtTest", -1, "", {180, 1500, 600, 312});
    txt->setMaxLength(2);
    lst = &add<ListBox>("lstTest", -1, "", {180, 1900, 2000, 800});
    tmr = &add<Timer>("tmrTest", -1, "", {});
    fast = &add<Timer>("tmrFast", -1, "", {});
    cmd = &add<CommandButton>("cmdTest", 0, "OK", {2400, 2400, 1200, 372});
    for (int i = 0; i < 4; ++i) opt[i]->onClick = [this, i] { optClicks.push_back(i); };
    // A handler that changes other controls: their reports must not come
    // back as clicks.
    chk->onClick = [this] {
      ++chkClicks;
      opt[chk->value()]->setValue(true);
      txt->setText(chk->value() ? "on" : "off");
    };
    cmd->onClick = [this] { ++cmdClicks; };
  }
  void onLoad() override { ++loads; }
  void onResize() override { ++resizes; }
  void onUnload() override { ++unloads; }
  Frame* fra;
  OptionButton* opt[4];
  CheckBox* chk;
  TextBox* txt;
  ListBox* lst;
  Timer *tmr, *fast;
  CommandButton* cmd;
  std::vector<int> optClicks;
  int chkClicks = 0, cmdClicks = 0, loads = 0, resizes = 0, unloads = 0;
};

using Lines = std::vector<std::string>;

// A fresh test form on a simulated desktop; the Views cases use it too.
class Forms : public ::testing::Test {
 protected:
  sim::SimDesktop d;
  TestForm f{d.toolkit};
};
using Views = Forms;

TEST_F(Forms, CheckBoxClicksOnlyOnChange) {
  f.chk->setValue(1);
  f.chk->setValue(1);
  f.chk->setValue(2);
  EXPECT_EQ(f.chkClicks, 2);
  EXPECT_EQ(errorOf([&] { f.chk->setValue(3); }), 380);
  EXPECT_EQ(errorOf([&] { f.chk->setValue(-1); }), 380);
  EXPECT_EQ(f.chk->value(), 2);
  EXPECT_EQ(f.chkClicks, 2);
  f.chk->userClick();  // grayed -> checked
  EXPECT_EQ(f.chk->value(), 1);
  f.chk->userClick();
  EXPECT_EQ(f.chk->value(), 0);
  // A disabled frame keeps the user's clicks from its contents; code still
  // sets the value.
  f.fra->setEnabled(false);
  f.chk->userClick();
  EXPECT_EQ(f.chk->value(), 0);
  f.chk->setValue(1);
  EXPECT_EQ(f.chkClicks, 5);
}

TEST_F(Forms, OptionButtonsAreExclusiveWithinTheirContainer) {
  f.opt[0]->setValue(true);
  f.opt[2]->setValue(true);
  f.opt[1]->userClick();
  f.opt[1]->setValue(true);  // already selected: no click
  EXPECT_EQ(f.optClicks, (std::vector<int>{0, 2, 1}));
  EXPECT_FALSE(f.opt[0]->value());
  EXPECT_TRUE(f.opt[1]->value());
  EXPECT_TRUE(f.opt[2]->value());  // another container
  f.opt[2]->setValue(false);
  EXPECT_FALSE(f.opt[2]->value());
  // Out of the user's reach when disabled, or inside a disabled frame.
  f.opt[3]->setEnabled(false);
  f.opt[3]->userClick();
  f.fra->setEnabled(false);
  f.opt[0]->userClick();
  EXPECT_FALSE(f.opt[3]->value());
  EXPECT_FALSE(f.opt[0]->value());
  EXPECT_EQ(f.optClicks.size(), 3u);
}

TEST_F(Forms, TypingIsCutInCharactersAndListRowsAppendReplaceAndRemove) {
  f.txt->userType("時報だ");
  EXPECT_EQ(f.txt->text(), "時報");
  f.txt->setText("12345");  // code is not limited
  EXPECT_EQ(f.txt->text(), "12345");
  ListBox& l = *f.lst;
  l.setRow(0, "A");
  l.setRow(1, "B");
  l.setRow(2, "C");
  l.setRow(1, "b");
  EXPECT_EQ(l.rows(), (std::vector<std::string>{"A", "b", "C"}));
  EXPECT_EQ(errorOf([&] { l.setRow(4, "x"); }), 381);
  EXPECT_EQ(errorOf([&] { l.setRow(-1, "x"); }), 381);
  EXPECT_EQ(l.row(3), "");
  EXPECT_EQ(errorOf([&] { l.setListIndex(3); }), 380);
  EXPECT_EQ(errorOf([&] { l.removeItem(3); }), kErrInvalidCall);
  l.setListIndex(2);
  l.removeItem(0);  // the selection follows its row
  EXPECT_EQ(l.listIndex(), 1);
  EXPECT_EQ(l.row(1), "C");
  l.removeItem(1);  // the selected row: nothing selected
  EXPECT_EQ(l.listIndex(), -1);
  EXPECT_EQ(l.rows(), (std::vector<std::string>{"b"}));
}

TEST_F(Forms, TimerHandlerNeverNestsEvenWhenItThrows) {
  int runs = 0;
  bool nestedRan = true;
  f.tmr->onTimer = [&] {
    if (++runs == 1) nestedRan = f.tmr->fire();  // once: a nesting fault fails, not overflows
  };
  EXPECT_TRUE(f.tmr->fire());
  EXPECT_FALSE(nestedRan);
  EXPECT_EQ(runs, 1);
  f.tmr->onTimer = [&] { throw RuntimeError(6); };
  EXPECT_THROW(f.tmr->fire(), RuntimeError);
  EXPECT_FALSE(f.tmr->running());
  f.tmr->onTimer = [&] { ++runs; };
  EXPECT_TRUE(f.tmr->fire());
  EXPECT_EQ(runs, 2);
}

// Enabling, disabling and interval changes are the timers contract suite's,
// which runs on the simulated desktop too.
TEST_F(Forms, SimulatedTimersFireInTimeOrderTiesInStartingOrder) {
  const std::int64_t t0 = d.clock.nowMs();
  std::string fired;
  f.tmr->onTimer = [&] { fired += "S" + std::to_string(d.clock.nowMs() - t0) + " "; };
  f.fast->onTimer = [&] { fired += "F" + std::to_string(d.clock.nowMs() - t0) + " "; };
  f.load();
  f.tmr->setInterval(250);
  f.fast->setInterval(100);
  d.toolkit.runFor(500);
  EXPECT_EQ(fired, "F100 F200 S250 F300 F400 S500 F500 ");
  EXPECT_EQ(d.clock.nowMs() - t0, 500);
}

TEST_F(Forms, LifecycleResizesAndTheWindowFunctions) {
  const Hwnd before = d.windows.newHandle();
  sim::SimWindowSystem& w = d.windows;
  {
    TestForm g(d.toolkit);
    EXPECT_EQ(g.tabOrder().size(), 9u);  // the timer has no tab stop
    EXPECT_EQ(g.find("optTest", 2), g.opt[2]);
    g.load();
    const Hwnd h = g.hwnd();
    ASSERT_NE(h, 0u);
    EXPECT_FALSE(w.window(h)->visible);  // its class and title: the contract suites'
    EXPECT_EQ(g.resizes, 0);
    g.show();
    g.show();
    EXPECT_EQ(g.resizes, 1);  // the first showing only
    EXPECT_TRUE(w.window(h)->visible);
    g.setWindowState(WindowState::Minimized);
    g.setWindowState(WindowState::Minimized);
    g.setWindowState(WindowState::Normal);
    EXPECT_EQ(g.resizes, 3);
    EXPECT_TRUE(d.log.lines().empty());  // forms leave the event record quiet
    // The window functions reach the form, as a second start does from
    // outside the program's code.
    w.showWindow(h, kSwMinimize);
    w.showWindow(h, kSwHide);
    EXPECT_EQ(g.windowState(), WindowState::Minimized);
    EXPECT_FALSE(g.visible());
    EXPECT_EQ(g.resizes, 4);
    // The engine's clock in the title survives other changes of the model;
    // a new caption of the form's own replaces it.
    w.setWindowText(h, "12:00 テスト");
    g.move(-g.width(), 0);
    w.showWindow(h, kSwShowNormal);
    g.show();
    EXPECT_EQ(g.windowState(), WindowState::Normal);
    EXPECT_EQ(w.window(h)->title, "12:00 テスト");
    EXPECT_EQ(w.window(h)->rect.left, -g.width() / 15);
    w.setWindowPos(h, kHwndTop, 30, 40, 0, 0, kSwpNoSize);
    EXPECT_EQ(g.top(), 40 * 15);
    g.setCaption("Kivo");
    EXPECT_EQ(w.window(h)->title, "Kivo");
    // The system closing the window unloads the form, once.
    g.tmr->setInterval(100);
    w.closeWindow(h);
    g.unload();
    EXPECT_EQ(g.unloads, 1);
    EXPECT_TRUE(g.closed());
    EXPECT_FALSE(g.tmr->enabled());
    EXPECT_EQ(d.toolkit.nextDue(*g.tmr), -1);
    EXPECT_FALSE(w.exists(h));
    g.show();  // loads afresh
    EXPECT_EQ(g.loads, 2);
    EXPECT_EQ(g.resizes, 6);
  }
  // The destructor dropped the window of the still loaded form.
  EXPECT_EQ(w.newHandle(), before);
}

TEST_F(Views, UserInputRunsEachHandlerOnceAndOnlyWithinReach) {
  sim::SimToolkit& tk = d.toolkit;
  f.opt[0]->setValue(true);
  f.lst->setRow(0, "A");
  EXPECT_EQ(tk.reports(), std::vector<sim::Report>{});  // a form without a view reports nothing
  f.load();
  f.show();
  // Each change reaches its view, reported once and only for the part that
  // changed: a view out of step, and a report that changed nothing or named
  // the wrong part, are named.
  const auto expectInStep = [&] {
    EXPECT_EQ(tk.staleViews(), Lines{});
    EXPECT_EQ(tk.idleReports(), std::vector<sim::Report>{});
  };
  f.chk->setValue(0);
  f.txt->setMaxLength(2);
  f.lst->setListIndex(-1);
  f.fra->setEnabled(true);
  f.tmr->setEnabled(false);  // timers go to timerChanged only
  f.move(f.left(), f.top());
  f.chk->setCaption("x");
  f.lst->setRow(0, "B");
  f.lst->setRow(0, "B");
  expectInStep();
  EXPECT_TRUE(tk.userClick(*f.chk));
  EXPECT_EQ(f.chkClicks, 1);
  EXPECT_EQ(f.optClicks, (std::vector<int>{0, 1}));  // the first by the set-up
  expectInStep();
  EXPECT_TRUE(tk.userClick(*f.opt[1]));  // selected already: nothing happens
  EXPECT_EQ(f.optClicks.size(), 2u);
  EXPECT_TRUE(tk.userType(*f.txt, "ty"));
  EXPECT_TRUE(tk.userSelect(*f.lst, 0));
  expectInStep();
  // Out of reach the model refuses on its own, whatever a view lets through
  // (that the views refuse too is the toolkit contract suite's).
  f.fra->setVisible(false);
  f.txt->setEnabled(false);
  f.lst->setVisible(false);
  EXPECT_FALSE(f.chk->userClick());
  EXPECT_FALSE(f.opt[0]->userClick());
  EXPECT_FALSE(f.txt->userType("x"));
  EXPECT_FALSE(f.lst->userSelect(0));
  EXPECT_EQ(f.chkClicks, 1);
  EXPECT_EQ(f.txt->text(), "ty");
  f.txt->setText("ty");
  expectInStep();
  // Once the handler that called quit() returns, neither the user nor the
  // window functions reach a form (that loops, boxes and timers end: contract).
  tk.quit();
  EXPECT_FALSE(tk.userClick(*f.cmd));
  EXPECT_FALSE(tk.userClose(f));
  EXPECT_EQ(f.cmdClicks, 0);
  d.windows.showWindow(f.hwnd(), kSwMinimize);
  EXPECT_EQ(f.windowState(), WindowState::Normal);
  // An unloaded form has no view to report to.
  f.unload();
  tk.clearReports();
  f.chk->setCaption("y");
  EXPECT_EQ(tk.reports(), std::vector<sim::Report>{});
}

}  // namespace
}  // namespace kivo
