// Tests of the views the simulated desktop keeps from the forms' change
// reports: after real sequences of the program every view equals its model
// and no report was idle; the reports a user's input makes; the model
// refuses input out of reach; after quit() neither the user nor the window
// functions reach a form (the rest of the toolkit's promises are the toolkit
// contract suite's, which runs on the simulated desktop too).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/program.h"
#include "platform/sim/sim_desktop.h"
#include "ui/main_window.h"

namespace kivo {
namespace {

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
  Frame* fra;
  OptionButton* opt[2];
  CheckBox* chk;
  TextBox* txt;
  ListBox* lst;
  CommandButton* cmd;
  int optClicks[2] = {0, 0}, chkClicks = 0, cmdClicks = 0, resizes = 0;
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

// Once the handler that called quit() returns, neither the user nor the
// window functions reach a form (that the loops, boxes and timers end is
// the toolkit contract suite's).
TEST(Views, NothingReachesAFormAfterQuit) {
  sim::SimDesktop d;
  sim::SimToolkit& tk = d.toolkit;
  Panel owner(tk);
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

}  // namespace
}  // namespace kivo
