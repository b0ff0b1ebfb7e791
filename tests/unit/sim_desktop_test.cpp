// Tests of the simulated desktop's toolkit: the order timers fire in on
// simulated time (the rest of the timers' promises are the contract suite's),
// and form windows driven by the window functions.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/sim/sim_desktop.h"
#include "ui/forms.h"

namespace kivo {
namespace {

class TimerForm : public Form {
 public:
  explicit TimerForm(Toolkit& tk)
      : Form(tk, "frmTimers", "Kivo for Windows NT/95", 4992, 3312, BorderStyle::FixedSingle) {
    slow = &add<Timer>("tmrMain", -1, "", {});
    fast = &add<Timer>("tmrFlash", -1, "", {});
  }
  void onResize() override { ++resizes; }
  Timer* slow;
  Timer* fast;
  int resizes = 0;
};

struct Fixture {
  sim::SimDesktop d;
  TimerForm f{d.toolkit};
  std::int64_t t0 = d.clock.nowMs();
  std::vector<std::pair<char, std::int64_t>> fired;
  Fixture() {
    f.slow->onTimer = [this] { fired.emplace_back('S', d.clock.nowMs() - t0); };
    f.fast->onTimer = [this] { fired.emplace_back('F', d.clock.nowMs() - t0); };
    f.load();
  }
};

TEST(SimTimers, FireInTimeOrderTiesInStartingOrder) {
  Fixture x;
  x.f.slow->setInterval(250);
  x.f.fast->setInterval(100);
  x.d.toolkit.runFor(500);
  EXPECT_EQ(
      x.fired,
      (std::vector<std::pair<char, std::int64_t>>{
          {'F', 100}, {'F', 200}, {'S', 250}, {'F', 300}, {'F', 400}, {'S', 500}, {'F', 500}}));
  EXPECT_EQ(x.d.clock.nowMs() - x.t0, 500);

  // Disabling stops a timer; enabling again restarts its count.
  x.fired.clear();
  x.f.fast->setEnabled(false);
  x.d.toolkit.runFor(50);
  x.f.fast->setEnabled(true);
  x.d.toolkit.runFor(200);
  EXPECT_EQ(x.fired,
            (std::vector<std::pair<char, std::int64_t>>{{'F', 650}, {'S', 750}, {'F', 750}}));
}

TEST(SimForms, WindowFunctionsOnAFormWindowReachTheForm) {
  Fixture x;
  TimerForm& f = x.f;
  const Hwnd h = f.hwnd();
  sim::SimWindowSystem& w = x.d.windows;
  f.slow->setInterval(250);
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
  w.setWindowText(h, "12:00 Kivo for Windows NT/95");
  f.move(-f.width(), 0);
  f.show();
  EXPECT_EQ(w.window(h)->title, "12:00 Kivo for Windows NT/95");
  EXPECT_EQ(w.window(h)->rect.left, -f.width() / 15);
  w.setWindowPos(h, kHwndTop, 30, 40, 0, 0, kSwpNoSize);
  EXPECT_EQ(f.left(), 30 * 15);
  EXPECT_EQ(f.top(), 40 * 15);
  f.setCaption("Kivo");
  EXPECT_EQ(w.window(h)->title, "Kivo");

  // The system closing the window unloads the form.
  w.closeWindow(h);
  EXPECT_TRUE(f.closed());
  EXPECT_EQ(x.d.toolkit.nextDue(*f.slow), -1);
}

}  // namespace
}  // namespace kivo
