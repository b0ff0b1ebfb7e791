// Tests of the forms model (click-on-change values, option groups, list
// rows, timers that never nest, the lifecycle, the change reports) and of
// the simulated desktop's views, timers and window functions; the rest of
// the toolkit's promises are the toolkit contract suite's, which runs on the
// simulated desktop too.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/program.h"
#include "platform/errors.h"
#include "platform/sim/sim_desktop.h"
#include "ui/forms.h"
#include "ui/main_window.h"

namespace kivo {
namespace {

int errorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const RuntimeError& e) {
    return e.number();
  }
  return 0;
}

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

TEST(Forms, CheckBoxClicksOnlyOnChange) {
  sim::SimDesktop d;
  TestForm f(d.toolkit);
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

TEST(Forms, OptionButtonsAreExclusiveWithinTheirContainer) {
  sim::SimDesktop d;
  TestForm f(d.toolkit);
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
  EXPECT_EQ(f.optClicks.size(), 3u);
  // Out of the user's reach when disabled, or inside a disabled frame.
  f.opt[3]->setEnabled(false);
  f.opt[3]->userClick();
  f.fra->setEnabled(false);
  f.opt[0]->userClick();
  EXPECT_FALSE(f.opt[3]->value());
  EXPECT_FALSE(f.opt[0]->value());
  EXPECT_EQ(f.optClicks.size(), 3u);
}

TEST(Forms, TypingIsCutInCharactersAndListRowsAppendReplaceAndRemove) {
  sim::SimDesktop d;
  TestForm f(d.toolkit);
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

TEST(Forms, TimerHandlerNeverNestsEvenWhenItThrows) {
  sim::SimDesktop d;
  TestForm f(d.toolkit);
  int runs = 0;
  bool nestedRan = true;
  f.tmr->onTimer = [&] {
    ++runs;
    nestedRan = f.tmr->fire();
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

TEST(Forms, LifecycleAndResizeEvents) {
  sim::SimDesktop d;
  const Hwnd before = d.windows.newHandle();
  {
    TestForm f(d.toolkit);
    EXPECT_EQ(f.tabOrder().size(), 9u);  // the timer has no tab stop
    EXPECT_EQ(f.find("optTest", 2), f.opt[2]);
    f.load();
    ASSERT_NE(f.hwnd(), 0u);
    const Hwnd h = f.hwnd();
    EXPECT_FALSE(d.windows.window(h)->visible);  // its class and title: the contract suites'
    EXPECT_EQ(f.resizes, 0);
    f.show();
    f.show();
    EXPECT_EQ(f.resizes, 1);  // the first showing only
    EXPECT_TRUE(d.windows.window(h)->visible);
    f.setWindowState(WindowState::Minimized);
    f.setWindowState(WindowState::Minimized);
    f.setWindowState(WindowState::Normal);
    EXPECT_EQ(f.resizes, 3);
    EXPECT_TRUE(d.log.lines().empty());  // forms leave the event record quiet
    f.tmr->setInterval(100);
    f.unload();
    f.unload();
    EXPECT_EQ(f.unloads, 1);
    EXPECT_TRUE(f.closed());
    EXPECT_FALSE(f.tmr->enabled());
    EXPECT_FALSE(d.windows.exists(h));
    f.show();  // loads afresh
    EXPECT_EQ(f.loads, 2);
    EXPECT_EQ(f.resizes, 4);
  }
  // The destructor dropped the window of the still loaded form.
  EXPECT_EQ(d.windows.newHandle(), before);
}

// A setter reports only while the form has a view, and only a change (which
// parts it names: the contract suite and the Views cases).
TEST(Forms, ReportsOnlyChangesWhileTheFormHasAView) {
  sim::SimDesktop d;
  TestForm f(d.toolkit);
  f.chk->setValue(1);
  EXPECT_TRUE(d.toolkit.reports().empty());  // no view yet
  f.load();
  d.toolkit.clearReports();
  f.chk->setValue(1);
  f.txt->setText("on");  // as the check box left it
  f.txt->setMaxLength(2);
  f.lst->setListIndex(-1);
  f.fra->setEnabled(true);
  f.tmr->setEnabled(false);  // timers go to timerChanged only
  EXPECT_EQ(d.toolkit.reports(), std::vector<sim::Report>{});
  f.chk->setCaption("x");
  f.lst->setRow(0, "A");
  f.lst->setRow(0, "A");
  EXPECT_EQ(d.toolkit.reports(), (std::vector<sim::Report>{{"frmTest", "chkTest", kChangeCaption},
                                                           {"frmTest", "lstTest", kChangeRows}}));
  f.show();
  f.move(15, 30);
  f.move(15, 30);
  EXPECT_TRUE(d.toolkit.idleReports().empty());
  f.unload();
  d.toolkit.clearReports();
  f.chk->setCaption("y");
  EXPECT_EQ(d.toolkit.reports(), std::vector<sim::Report>{});
}

using Lines = std::vector<std::string>;

// A program on the simulated desktop.
struct Session {
  sim::SimDesktop d;
  Kivo app{d.platform};
  Session() { app.start(); }
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
  s.bringUp();
  s.expectInStep("brought up");
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
  EXPECT_FALSE(tk.view(s.m())->visible);
  s.bringUp();
  EXPECT_TRUE(tk.userSetState(s.m(), WindowState::Minimized));
  EXPECT_TRUE(tk.userSetState(s.m(), WindowState::Normal));
  s.expectInStep("restored");
  EXPECT_TRUE(tk.userClick(*s.m().clockOnRight));
  EXPECT_TRUE(tk.userClick(*s.m().style[0]));
  EXPECT_TRUE(tk.userClick(*s.m().buttons[MainWindow::Cancel]));
  s.expectInStep("Cancel reloads");
  EXPECT_EQ(tk.view(*s.m().clockOnRight)->value, 1);
  EXPECT_EQ(tk.view(*s.m().style[1])->value, 1);
}

TEST(Views, UserInputRunsEachHandlerOnceAndOnlyWithinReach) {
  sim::SimDesktop d;
  sim::SimToolkit& tk = d.toolkit;
  TestForm p(tk);
  p.opt[0]->setValue(true);
  p.lst->setRow(0, "A");
  p.load();
  p.show();
  d.toolkit.clearReports();
  EXPECT_TRUE(tk.userClick(*p.chk));
  EXPECT_EQ(p.chkClicks, 1);
  EXPECT_EQ(p.optClicks, (std::vector<int>{0, 1}));  // the first by the set-up
  EXPECT_EQ(tk.reports(), (std::vector<sim::Report>{{"frmTest", "chkTest", kChangeValue},
                                                    {"frmTest", "optTest(0)", kChangeValue},
                                                    {"frmTest", "optTest(1)", kChangeValue},
                                                    {"frmTest", "txtTest", kChangeValue}}));
  EXPECT_TRUE(tk.userClick(*p.opt[1]));  // selected already: nothing happens
  EXPECT_EQ(p.optClicks.size(), 2u);
  EXPECT_TRUE(tk.userClick(*p.cmd));
  EXPECT_EQ(p.cmdClicks, 1);
  EXPECT_TRUE(tk.userType(*p.txt, "ty"));
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
  EXPECT_EQ(p.txt->text(), "ty");
  EXPECT_EQ(tk.staleViews(), Lines{});
  EXPECT_TRUE(tk.idleReports().empty());
}

// Once the handler that called quit() returns, neither the user nor the
// window functions reach a form (that loops, boxes and timers end: contract).
TEST(Views, NothingReachesAFormAfterQuit) {
  sim::SimDesktop d;
  sim::SimToolkit& tk = d.toolkit;
  TestForm owner(tk);
  owner.load();
  owner.show();
  tk.quit();
  EXPECT_FALSE(tk.userClick(*owner.cmd));
  EXPECT_FALSE(tk.userClose(owner));
  EXPECT_EQ(owner.cmdClicks, 0);
  d.windows.showWindow(owner.hwnd(), kSwMinimize);
  EXPECT_EQ(owner.windowState(), WindowState::Normal);
  EXPECT_EQ(owner.resizes, 1);
}

TEST(SimTimers, FireInTimeOrderTiesInStartingOrder) {
  sim::SimDesktop d;
  TestForm f(d.toolkit);
  const std::int64_t t0 = d.clock.nowMs();
  std::vector<std::pair<char, std::int64_t>> fired;
  f.tmr->onTimer = [&] { fired.emplace_back('S', d.clock.nowMs() - t0); };
  f.fast->onTimer = [&] { fired.emplace_back('F', d.clock.nowMs() - t0); };
  f.load();
  f.tmr->setInterval(250);
  f.fast->setInterval(100);
  d.toolkit.runFor(500);
  EXPECT_EQ(
      fired,
      (std::vector<std::pair<char, std::int64_t>>{
          {'F', 100}, {'F', 200}, {'S', 250}, {'F', 300}, {'F', 400}, {'S', 500}, {'F', 500}}));
  EXPECT_EQ(d.clock.nowMs() - t0, 500);
  // Disabling stops a timer; enabling again restarts its count.
  fired.clear();
  f.fast->setEnabled(false);
  d.toolkit.runFor(50);
  f.fast->setEnabled(true);
  d.toolkit.runFor(200);
  EXPECT_EQ(fired,
            (std::vector<std::pair<char, std::int64_t>>{{'F', 650}, {'S', 750}, {'F', 750}}));
}

TEST(SimForms, WindowFunctionsOnAFormWindowReachTheForm) {
  sim::SimDesktop d;
  TestForm f(d.toolkit);
  f.load();
  const Hwnd h = f.hwnd();
  sim::SimWindowSystem& w = d.windows;
  f.tmr->setInterval(250);
  // A second start brings the window up from outside the program's code.
  w.showWindow(h, kSwShowNormal);
  EXPECT_EQ(f.windowState(), WindowState::Normal);
  EXPECT_TRUE(f.visible());
  w.showWindow(h, kSwMinimize);
  w.showWindow(h, kSwHide);
  EXPECT_EQ(f.windowState(), WindowState::Minimized);
  EXPECT_FALSE(f.visible());
  EXPECT_EQ(f.resizes, 2);
  // The engine's clock in the title survives other changes of the model;
  // a new caption of the form's own replaces it.
  w.setWindowText(h, "12:00 テスト");
  f.move(-f.width(), 0);
  f.show();
  EXPECT_EQ(w.window(h)->title, "12:00 テスト");
  EXPECT_EQ(w.window(h)->rect.left, -f.width() / 15);
  w.setWindowPos(h, kHwndTop, 30, 40, 0, 0, kSwpNoSize);
  EXPECT_EQ(f.left(), 30 * 15);
  EXPECT_EQ(f.top(), 40 * 15);
  f.setCaption("Kivo");
  EXPECT_EQ(w.window(h)->title, "Kivo");

  // The system closing the window unloads the form.
  w.closeWindow(h);
  EXPECT_TRUE(f.closed());
  EXPECT_EQ(d.toolkit.nextDue(*f.tmr), -1);
}

}  // namespace
}  // namespace kivo
