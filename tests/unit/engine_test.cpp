// Tests of start-up, the main tick, the exclusions and the loaders.
#include <gtest/gtest.h>

#include <string>

#include "engine/window_classes.h"
#include "tests/unit/program_rig.h"

namespace kivo {
namespace {

constexpr Hwnd kFront = 0x100, kOther = 0x200;
using testing::RunningProgram;
using testing::Stored;

TEST(StartUp, UnreadableSettingIsReportedAndItsStepFallsBackToDefaults) {
  const struct {
    SettingKey key;
    const char* value;
  } cases[] = {{keys::ClockRight, "abc"}, {keys::CheckInterval, "99999"}, {keys::UserTaste, "3"},
               {keys::UserTaste, "abc"},  {keys::EqualSeparate, "x"},     {keys::KivoXX, "-1"},
               {keys::Show24h, "yes"}};
  for (const auto& c : cases) {
    RunningProgram r({{c.key, c.value}});
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
  RunningProgram first;
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
    RunningProgram r(c.list);
    r.d.windows.addWindow(kFront, c.cls, "Title");
    if (c.spellCheckOpen) r.d.windows.addWindow(kOther, "#32770", "ｽﾍﾟﾙﾁｪｯｸ");
    r.d.windows.focus(kFront);
    r.tick();
    EXPECT_EQ(r.title(kFront) == "Title", c.excluded) << c.cls;
    EXPECT_EQ(r.app.engine().state().leftAlone, c.excluded) << c.cls;
  }
}

TEST(Loaders, CustomTemplateClassNameAndWindowList) {
  for (const char* flag : {"1", "2"}) {
    RunningProgram r({{keys::KivoXX, flag}, {keys::XXFormat, "[%h:nn%]"}});
    EXPECT_EQ(r.app.settings().clockTemplate, "[%h:nn%]");
    EXPECT_FALSE(r.m().style[0]->enabled());
    EXPECT_FALSE(r.m().style[1]->enabled());
  }
  RunningProgram r({{keys::WindowList[0], "A"}, {keys::WindowList[1], "B"}});
  EXPECT_EQ(r.app.settings().windowList.count, 2);
  // A class name is read whole up to the longest one the system allows, so
  // a long class registered from the window-list dialog still matches.
  r.d.windows.addWindow(kFront, std::string(300, 'C'), "");
  EXPECT_EQ(classNameOf(r.d.windows, kFront), std::string(256, 'C'));
  EXPECT_EQ(classNameOf(r.d.windows, 0), "");
}

TEST(Tick, AlarmCheckOncePerMinute) {
  // The clock shows seconds, so the time key changes every second; the alarm
  // minute must still give one box. (None when the minute turns on the very
  // tick that sees a new window in front: the alarm_repeat scenario.)
  RunningProgram r({{keys::Alarm, "1"}, {keys::AlarmTime, "12:35"}, {keys::ShowSecond, "1"}});
  r.d.windows.addWindow(kFront, "Edit", "Editor");
  r.d.windows.focus(kFront);
  for (int second = 57; second < 66; ++second) {
    r.d.clock.set(Date{2024, 5, 6}, TimeOfDay{12, 34 + second / 60, second % 60});
    r.tick();
  }
  EXPECT_EQ(r.title(kFront), "12:35:05,May,6 = Editor");
  EXPECT_EQ(r.d.toolkit.boxes().size(), 1u);
}

TEST(Tick, EveryWayOutGivesTheDecoratedWindowItsTitleBack) {
  // Exit with a decorated window in front; a second way out (logging out, a
  // signal) then finds nothing to do. (That a start gives back what a killed
  // run left is the caption engine's own test.)
  RunningProgram r;
  r.d.windows.addWindow(kFront, "Edit", "Editor");
  r.d.windows.focus(kFront);
  r.tick();
  ASSERT_EQ(r.title(kFront), "12:34,May,6 = Editor");
  r.m().buttons[MainWindow::Exit]->click();
  EXPECT_TRUE(r.app.ended());
  EXPECT_TRUE(r.m().closed());
  EXPECT_TRUE(r.d.toolkit.quitRequested());
  EXPECT_EQ(r.title(kFront), "Editor");
  const std::size_t writes = r.d.windows.titleWrites().size();
  r.d.toolkit.runFor(5000);
  r.app.end();
  EXPECT_EQ(r.d.windows.titleWrites().size(), writes);
  // A window left alone is never written, not even on the way out; and a
  // program that never ticked has nothing to give back.
  RunningProgram excluded({{keys::WindowList[0], "Secret"}});
  excluded.d.windows.addWindow(kFront, "Secret", "Vault");
  excluded.d.windows.focus(kFront);
  excluded.tick();
  excluded.app.end();
  RunningProgram idle;
  idle.d.windows.addWindow(kFront, "Edit", "Editor");
  idle.d.windows.focus(kFront);
  idle.app.end();
  EXPECT_TRUE(excluded.d.windows.titleWrites().empty());
  EXPECT_TRUE(idle.d.windows.titleWrites().empty());
  EXPECT_TRUE(r.d.toolkit.boxes().empty());
}

}  // namespace
}  // namespace kivo
