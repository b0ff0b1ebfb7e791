// Tests of the simulated desktop's toolkit: timers on simulated time, boxes
// that let time pass, and form windows driven by the window functions.
#include <gtest/gtest.h>

#include <algorithm>

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
  int count(char which) const {
    return static_cast<int>(
        std::count_if(fired.begin(), fired.end(), [&](const auto& e) { return e.first == which; }));
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

TEST(SimTimers, LateFiringsCoalesce) {
  Fixture x;
  x.f.slow->setInterval(250);
  x.f.fast->setInterval(100);
  // The first tick blocks the thread for a second (a synchronous sound).
  x.f.slow->onTimer = [&] {
    x.fired.emplace_back('S', x.d.clock.nowMs() - x.t0);
    if (x.count('S') == 1) x.d.clock.advanceMs(1000);
  };
  x.d.toolkit.runFor(2000);
  std::vector<std::int64_t> slow, fast;
  for (const auto& [w, t] : x.fired) (w == 'S' ? slow : fast).push_back(t);
  // The tick due at 500 comes late, once, at 1250; then on its beat again.
  EXPECT_EQ(slow, (std::vector<std::int64_t>{250, 1250, 1500, 1750, 2000}));
  // The fast timer missed 300 .. 1200: one late firing, then back on its beat.
  ASSERT_GE(fast.size(), 4u);
  EXPECT_EQ(std::vector<std::int64_t>(fast.begin(), fast.begin() + 4),
            (std::vector<std::int64_t>{100, 200, 1250, 1300}));
  EXPECT_EQ(fast.size(), 11u);
}

TEST(SimTimers, HeldMessageBoxRunsOtherTimersButNeverNestsTheTick) {
  Fixture x;
  x.f.slow->setInterval(250);
  x.f.fast->setInterval(100);
  int depth = 0, maxDepth = 0, fastInBox = 0;
  x.f.fast->onTimer = [&] { fastInBox += depth; };
  x.f.slow->onTimer = [&] {
    maxDepth = std::max(maxDepth, ++depth);
    x.fired.emplace_back('S', x.d.clock.nowMs() - x.t0);
    if (x.count('S') == 1) x.d.toolkit.messageBox(0, "アラーム", "Kivo", 4096);
    --depth;
  };
  x.d.toolkit.queueAnswer(kIdOk, 10000);
  x.d.toolkit.runFor(250);
  EXPECT_EQ(x.d.clock.nowMs() - x.t0, 10250);
  EXPECT_EQ(fastInBox, 100);  // 300 .. 10200
  EXPECT_EQ(maxDepth, 1);
  EXPECT_EQ(x.count('S'), 1);
  EXPECT_EQ(x.d.toolkit.nextDue(*x.f.slow) - x.t0, 10500);

  // DoEvents fires what is due now, and nothing else.
  x.d.clock.advanceMs(100);
  fastInBox = 0;
  depth = 1;
  x.d.toolkit.doEvents();
  EXPECT_EQ(fastInBox, 1);
  EXPECT_EQ(x.d.clock.nowMs() - x.t0, 10350);
}

TEST(SimForms, WindowFunctionsOnAFormWindowReachTheForm) {
  Fixture x;
  TimerForm& f = x.f;
  const Hwnd h = f.hwnd();
  sim::SimWindowSystem& w = x.d.windows;
  f.slow->setInterval(250);
  f.show();
  f.setWindowState(WindowState::Minimized);
  f.hide();
  EXPECT_EQ(f.resizes, 2);
  EXPECT_EQ(w.findWindow("ThunderRT5Form", "Kivo for Windows NT/95"), h);

  // A second start brings the window up from outside the program's code.
  w.showWindow(h, kSwShowNormal);
  EXPECT_EQ(f.windowState(), WindowState::Normal);
  EXPECT_TRUE(f.visible());
  EXPECT_EQ(f.resizes, 3);
  w.showWindow(h, kSwMinimize);
  w.showWindow(h, kSwHide);
  EXPECT_EQ(f.windowState(), WindowState::Minimized);
  EXPECT_FALSE(f.visible());
  EXPECT_FALSE(w.window(h)->visible);
  EXPECT_EQ(f.resizes, 4);
  EXPECT_EQ(x.d.log.take(), (std::vector<std::string>{"show " + std::to_string(h) + " 1",
                                                      "show " + std::to_string(h) + " 6",
                                                      "show " + std::to_string(h) + " 0"}));

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
