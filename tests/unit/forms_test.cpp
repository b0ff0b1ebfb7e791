// Tests of the forms model: click-on-change values, option groups, list
// rows, timers that never nest, the form lifecycle and the change reports.
#include <gtest/gtest.h>

#include <functional>

#include "platform/errors.h"
#include "platform/sim/sim_desktop.h"
#include "ui/forms.h"

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
    cmd = &add<CommandButton>("cmdTest", 0, "OK", {2400, 2400, 1200, 372});
    for (int i = 0; i < 4; ++i) opt[i]->onClick = [this, i] { optClicks.push_back(i); };
    chk->onClick = [this] { ++chkClicks; };
  }
  void onLoad() override { ++loads; }
  void onResize() override { ++resizes; }
  void onUnload() override { ++unloads; }

  Frame* fra;
  OptionButton* opt[4];
  CheckBox* chk;
  TextBox* txt;
  ListBox* lst;
  Timer* tmr;
  CommandButton* cmd;
  std::vector<int> optClicks;
  int chkClicks = 0, loads = 0, resizes = 0, unloads = 0;
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
    EXPECT_EQ(d.windows.window(h)->className, "ThunderRT5Form");
    EXPECT_EQ(d.windows.window(h)->title, "テスト");
    EXPECT_FALSE(d.windows.window(h)->visible);
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

// A setter reports only while the form has a view, and only a change:
// which parts it names is pinned by the views that follow the models (the
// toolkit contract suite and the Views cases).
TEST(Forms, ReportsOnlyChangesWhileTheFormHasAView) {
  sim::SimDesktop d;
  TestForm f(d.toolkit);
  f.chk->setValue(1);
  EXPECT_TRUE(d.toolkit.reports().empty());  // no view yet
  f.load();
  d.toolkit.clearReports();
  f.chk->setValue(1);
  f.txt->setText("");
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

}  // namespace
}  // namespace kivo
