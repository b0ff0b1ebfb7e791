// Tests of start-up, the main tick, the exclusions and the loaders.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/program.h"
#include "engine/window_classes.h"
#include "platform/sim/sim_desktop.h"
#include "settings/layout.h"
#include "ui/main_window.h"

namespace kivo {
namespace {

constexpr Hwnd kFront = 0x100, kOther = 0x200;
using Stored = std::vector<std::pair<SettingKey, std::string>>;

struct Running {
  sim::SimDesktop d;
  Kivo app{d.platform};
  explicit Running(const Stored& stored = {}) {
    d.clock.set(Date{2024, 5, 6}, TimeOfDay{12, 34, 0});
    for (const auto& [key, value] : stored) writeText(d.store, key, value);
    app.start();
  }
  void tick() { app.main()->tickTimer->fire(); }
  std::string title(Hwnd h) const { return d.windows.window(h)->title; }
  bool wrote(Hwnd h) const {
    for (const auto& w : d.windows.titleWrites()) {
      if (w.first == h) return true;
    }
    return false;
  }
};

TEST(StartUp, UnreadableSettingIsReportedAndItsStepFallsBackToDefaults) {
  const struct {
    SettingKey key;
    const char* value;
  } cases[] = {{keys::ClockRight, "abc"}, {keys::CheckInterval, "99999"}, {keys::UserTaste, "3"},
               {keys::UserTaste, "abc"},  {keys::EqualSeparate, "x"},     {keys::KivoXX, "-1"},
               {keys::Show24h, "yes"}};
  for (const auto& c : cases) {
    Running r({{c.key, c.value}});
    ASSERT_FALSE(r.d.toolkit.boxes().empty()) << c.key.key;
    EXPECT_NE(r.d.toolkit.boxes().front().text.find("frmMain!Form_Load- Kivo"), std::string::npos);
    EXPECT_EQ(r.app.main()->tickTimer->interval(), 250) << c.key.key;
    EXPECT_FALSE(r.app.main()->visible());
    r.d.toolkit.clearBoxes();
    r.d.windows.addWindow(kFront, "Edit", "Editor");
    r.d.windows.focus(kFront);
    r.tick();
    EXPECT_NE(r.title(kFront).find("12:34"), std::string::npos) << c.key.key;
    EXPECT_TRUE(r.d.toolkit.boxes().empty()) << c.key.key;
  }
}

TEST(StartUp, SecondStartShowsTheRunningWindowAndReadsNothing) {
  Running first;
  MainWindow& m = *first.app.main();
  writeText(first.d.store, keys::UserTaste, "abc");  // any read would report it
  const int writes = first.d.store.writes();
  first.d.program.setPreviousInstance(true);
  Kivo second(first.d.platform);
  second.start();
  EXPECT_TRUE(second.ended());
  EXPECT_TRUE(first.d.toolkit.quitRequested());
  EXPECT_TRUE(first.d.toolkit.boxes().empty());
  EXPECT_EQ(first.d.store.writes(), writes);
  EXPECT_EQ(second.settings().checkInterval, 0);
  EXPECT_FALSE(second.main()->visible());
  EXPECT_TRUE(m.visible());
  EXPECT_EQ(m.windowState(), WindowState::Normal);
  EXPECT_EQ(first.d.windows.getForegroundWindow(), m.hwnd());
  EXPECT_EQ(m.left(), (first.d.toolkit.screenWidthTwips() - m.width()) / 2);
}

TEST(Exclusions, WindowListAndTheSpellCheckDialog) {
  const struct {
    Stored list;
    const char* cls;
    bool spellCheckOpen, excluded;
  } cases[] = {
      {{{keys::WindowList[0], "Notepad"}}, "Notepad", false, true},
      {{{keys::WindowList[0], "Notepad"}}, "notepad", false, false},  // case counts
      {{{keys::WindowList[0], "A"}, {keys::WindowList[1], "Notepad"}}, "Notepad", false, true},
      {{{keys::WindowList[1], "Notepad"}}, "Notepad", false, false},  // gap at entry 0
      {{}, "#32770", true, true},  // any dialog, while a spell check is open anywhere
      {{}, "#32770", false, false},
      {{}, "Edit", true, false},
      {{{keys::WindowList[0], "Other"}}, "#32770", true, true},
  };
  for (const auto& c : cases) {
    Running r(c.list);
    r.d.windows.addWindow(kFront, c.cls, "Title");
    if (c.spellCheckOpen) r.d.windows.addWindow(kOther, "#32770", "ｽﾍﾟﾙﾁｪｯｸ");
    r.d.windows.focus(kFront);
    r.tick();
    EXPECT_EQ(r.wrote(kFront), !c.excluded) << c.cls;
    EXPECT_EQ(r.app.engine().state().leftAlone, c.excluded) << c.cls;
    EXPECT_EQ(r.app.engine().state().ownTitle, std::string("Title") + '\0');
  }
}

TEST(StartUp, KivoXXSelectsTheCustomTemplate) {
  for (const char* flag : {"1", "2"}) {
    Running r({{keys::KivoXX, flag}, {keys::XXFormat, "[%h:nn%]"}});
    EXPECT_EQ(r.app.settings().clockTemplate, "[%h:nn%]");
    EXPECT_FALSE(r.app.main()->style[0]->enabled());
    EXPECT_FALSE(r.app.main()->style[1]->enabled());
  }
}

TEST(Loaders, ClassNameAndWindowList) {
  Running r({{keys::WindowList[0], "A"}, {keys::WindowList[1], "B"}});
  // A class name is read whole up to the longest one the system allows, so
  // a long class registered from the window-list dialog still matches.
  r.d.windows.addWindow(kFront, std::string(300, 'C'), "");
  EXPECT_EQ(classNameOf(r.d.windows, kFront), std::string(256, 'C'));
  EXPECT_EQ(classNameOf(r.d.windows, 0), "");
  EXPECT_EQ(r.app.settings().windowList.count, 2);
}

TEST(Tick, AlarmCheckOncePerMinuteAndNotOnAForegroundChange) {
  // The clock shows seconds, so the time key changes every second; the alarm
  // minute must still give one box, and none when the minute turns on the
  // very tick that sees a new window in front.
  for (const bool switchAtTheMinute : {false, true}) {
    Running r({{keys::Alarm, "1"}, {keys::AlarmTime, "12:35"}, {keys::ShowSecond, "1"}});
    r.d.windows.addWindow(kFront, "Edit", "Editor");
    r.d.windows.addWindow(kOther, "Edit", "Mail");
    r.d.windows.focus(kFront);
    for (int second = 57; second < 66; ++second) {
      r.d.clock.set(Date{2024, 5, 6}, TimeOfDay{12, 34 + second / 60, second % 60});
      if (second == 60 && switchAtTheMinute) r.d.windows.focus(kOther);
      r.tick();
    }
    EXPECT_EQ(r.title(switchAtTheMinute ? kOther : kFront).find("12:35:05"), 0u);
    EXPECT_EQ(r.d.toolkit.boxes().size(), switchAtTheMinute ? 0u : 1u);
  }
}

TEST(Tick, EveryWayOutGivesTheDecoratedWindowItsTitleBack) {
  // Exit with a decorated window in front, then a start with the same window
  // still in front: it keeps its title until the first tick, then shows one
  // clock, on its own title.
  Running r;
  r.d.windows.addWindow(kFront, "Edit", "Editor");
  r.d.windows.focus(kFront);
  r.tick();
  ASSERT_EQ(r.title(kFront), "12:34,May,6 = Editor");
  r.app.main()->buttons[MainWindow::Exit]->click();
  EXPECT_TRUE(r.app.ended());
  EXPECT_TRUE(r.app.main()->closed());
  EXPECT_TRUE(r.d.toolkit.quitRequested());
  EXPECT_EQ(r.title(kFront), "Editor");
  const std::size_t writes = r.d.windows.titleWrites().size();
  r.d.toolkit.runFor(5000);
  r.app.end();  // a second way out (logging out, a signal) finds nothing to do
  EXPECT_EQ(r.d.windows.titleWrites().size(), writes);
  Kivo again(r.d.platform);
  again.start();
  EXPECT_EQ(r.d.windows.titleWrites().size(), writes);  // none before the first tick
  again.main()->tickTimer->fire();
  EXPECT_EQ(r.title(kFront), "12:34,May,6 = Editor");
  // A window left alone is never written, not even on the way out; and a
  // program that never ticked has nothing to give back.
  Running excluded({{keys::WindowList[0], "Secret"}});
  excluded.d.windows.addWindow(kFront, "Secret", "Vault");
  excluded.d.windows.focus(kFront);
  excluded.tick();
  excluded.app.end();
  Running idle;
  idle.d.windows.addWindow(kFront, "Edit", "Editor");
  idle.d.windows.focus(kFront);
  idle.app.end();
  EXPECT_TRUE(excluded.d.windows.titleWrites().empty());
  EXPECT_TRUE(idle.d.windows.titleWrites().empty());
  EXPECT_TRUE(r.d.toolkit.boxes().empty());
}

}  // namespace
}  // namespace kivo
