// Tests of the caption composition: layouts, minute rewrites, repairs and restoring titles.
#include <gtest/gtest.h>

#include <string>

#include "platform/sim/sim_desktop.h"
#include "tests/unit/engine_rig.h"

namespace kivo {
namespace {

constexpr Hwnd kEditor = 0x100, kMail = 0x200;

// The caption engine on a simulated desktop, clock at 12:34, rendering "h:nn".
struct Running {
  sim::SimDesktop d;
  testing::EngineRig rig{d};
  RunningSettings& settings = rig.settings;
  explicit Running(std::uint8_t right = 0, std::uint8_t equal = 1, std::string tmpl = "%h:nn%") {
    at(12, 34);
    settings.clockTemplate = std::move(tmpl);
    settings.layout.clockRight = right;
    settings.layout.equalsSeparator = equal;
  }
  void at(int h, int m, int sec = 0) { d.clock.set(Date{2024, 5, 6}, TimeOfDay{h, m, sec}); }
  void front(Hwnd h, const std::string& title = "Editor") {
    if (!d.windows.exists(h)) d.windows.addWindow(h, "Edit", title);
    d.windows.focus(h);
  }
  void tick() { rig.engine.tick(); }
  void end() { rig.engine.restoreOnExit(); }
  std::string title(Hwnd h) const { return d.windows.window(h)->title; }
  std::size_t writes() const { return d.windows.titleWrites().size(); }
};

TEST(CaptionComposition, LayoutsAndAQuietSecondTick) {
  struct Case {
    std::uint8_t right, equal;
    const char* title;
    const char* shown;
  };
  const Case cases[] = {
      {0, 0, "Editor", "12:34 Editor"},
      {0, 1, "Editor", "12:34 = Editor"},
      {1, 0, "Editor", "Editor 12:34"},
      {1, 1, "Editor", "Editor = 12:34"},
      {0, 1, "", "12:34 = "},
      {1, 0, "", " 12:34"},
      // Flags the program never writes: the caption is written back as read.
      {2, 1, "Editor", "Editor"},
  };
  for (const Case& c : cases) {
    Running r(c.right, c.equal);
    r.front(kEditor, c.title);
    r.tick();
    EXPECT_EQ(r.title(kEditor), c.shown) << c.title << " " << int(c.right) << int(c.equal);
    const std::size_t writes = r.writes();
    r.tick();
    r.tick();
    EXPECT_EQ(r.writes(), writes) << "same window, same minute";
    EXPECT_TRUE(r.d.toolkit.boxes().empty());
  }
}

TEST(CaptionComposition, ClockNeverPilesUpAndFollowsSideChanges) {
  Running r;
  r.front(kEditor);
  r.tick();
  const struct {
    int h, m;
    std::uint8_t right, equal;
    const char* shown;
  } steps[] = {{12, 37, 1, 1, "Editor = 12:37"},
               {13, 1, 1, 0, "Editor 13:01"},
               {13, 2, 0, 0, "13:02 Editor"},
               // The title cut for the right side has no NUL left; the left
               // side must still end the caption in one, or the next tick
               // takes its own caption for a retitle and cuts it up.
               {13, 3, 1, 1, "Editor = 13:03"}};
  std::string shown = "12:34 = Editor";
  for (const auto& s : steps) {
    r.settings.layout.clockRight = s.right;
    r.settings.layout.equalsSeparator = s.equal;
    const std::size_t writes = r.writes();
    r.tick();  // a new side waits for the next change of the minute
    EXPECT_EQ(r.title(kEditor), shown);
    EXPECT_EQ(r.writes(), writes);
    r.at(s.h, s.m);
    r.tick();
    EXPECT_EQ(r.title(kEditor), s.shown);
    shown = s.shown;
  }
}

TEST(CaptionComposition, ClocksLongerThan255CharactersAreCutOutExactly) {
  const std::string lead(300, '~');
  for (std::uint8_t right : {0, 1}) {
    Running r(right, 1, lead + "%h:nn%");
    r.front(kEditor);
    r.tick();
    const std::string clock = lead + "12:34";
    EXPECT_EQ(r.title(kEditor), right ? "Editor = " + clock : clock + " = Editor");
    r.d.windows.retitle(kEditor, right ? "Editor* = " + clock : clock + " = Editor*");
    r.tick();
    r.at(12, 35);
    r.tick();
    EXPECT_EQ(r.title(kEditor), right ? "Editor* = " + lead + "12:35" : lead + "12:35 = Editor*");
    EXPECT_TRUE(r.d.toolkit.boxes().empty());
  }
}

TEST(CaptionComposition, OnlyOurClockWhereWePutItIsOurs) {
  // Titles that hold the clock's text, or look like a decoration, anywhere
  // but where we write it are the window's own: decorated whole, and left
  // exactly as they were when the window leaves, when the minute turns and
  // when the program ends.
  constexpr const char* kDated = "%h:nn%,%mmm%,%d%";
  const struct {
    int h, m;
    const char* tmpl;
    std::uint8_t right;
    const char* own;
  } cases[] = {
      {9, 41, "%h:nn%", 0, "build finished at 9:41"},
      {6, 17, kDated, 0, "Meeting at 6:17,Dec,7 sharp"},
      {9, 41, kDated, 1, "Call at 9:41,Dec,7 ok"},
      {6, 17, kDated, 0, "6:17,Dec,7"},
      {6, 17, kDated, 1, "6:17,Dec,7"},
  };
  for (const auto& c : cases) {
    Running r(c.right, 1, c.tmpl);
    const auto at = [&](int m) { r.d.clock.set(Date{2026, 12, 7}, TimeOfDay{c.h, m, 0}); };
    const auto shown = [&](int m) {
      const std::string clock = std::string(c.tmpl) == kDated
                                    ? std::to_string(c.h) + ":" + std::to_string(m) + ",Dec,7"
                                    : std::to_string(c.h) + ":" + std::to_string(m);
      return c.right ? c.own + std::string(" = ") + clock : clock + " = " + c.own;
    };
    at(c.m);
    r.front(kEditor);
    r.tick();
    r.d.windows.retitle(kEditor, c.own);  // repaired on the next tick
    r.tick();
    EXPECT_EQ(r.title(kEditor), shown(c.m)) << c.own;
    r.front(kMail, "Mail");
    r.tick();
    EXPECT_EQ(r.title(kEditor), c.own);
    r.front(kEditor);
    r.tick();
    at(c.m + 1);  // the minute's rewrite
    r.tick();
    EXPECT_EQ(r.title(kEditor), shown(c.m + 1)) << c.own;
    r.end();
    EXPECT_EQ(r.title(kEditor), c.own);
    EXPECT_TRUE(r.d.toolkit.boxes().empty());
  }
}

TEST(CaptionComposition, NeitherALayoutNorTheEndLeavesOurClockBehind) {
  // Flags no dialog writes: the window shows its own title, and a clock we
  // wrote before they changed is not left behind for good.
  Running r;
  r.front(kEditor);
  r.tick();
  r.settings.layout.equalsSeparator = 7;
  r.at(12, 35);
  r.tick();
  EXPECT_EQ(r.title(kEditor), "Editor");
  r.front(kMail, "Mail");
  r.tick();
  EXPECT_EQ(r.title(kEditor), "Editor");
  EXPECT_EQ(r.title(kMail), "Mail");
  // A tick still running when the program ended (it waited on a box that a
  // signal closed) must not put back the clock the end took away.
  r.settings.layout.equalsSeparator = 1;
  r.at(12, 36);
  r.tick();
  r.end();
  EXPECT_EQ(r.title(kMail), "Mail");
  r.at(12, 37);
  r.tick();  // as the rest of that tick would
  EXPECT_EQ(r.title(kMail), "Mail");
  EXPECT_TRUE(r.d.journal.leftOver().empty());
}

TEST(CaptionComposition, TitlesComeBackAfterAKilledRun) {
  // A run that ends without its end (kill -9, a crash) leaves its clock in
  // the front window; the next start gives the title back before its first
  // tick, so the clock never doubles, and leaves alone a window that has
  // retitled itself since, whatever the layout of the later runs.
  sim::SimDesktop d;
  d.clock.set(Date{2026, 12, 7}, TimeOfDay{6, 17, 0});
  d.windows.addWindow(kEditor, "Edit", "Editor");
  d.windows.addWindow(kMail, "Mail", "Mail");
  const auto killedRun = [&](Hwnd front) {
    testing::EngineRig run(d);
    run.settings.layout.equalsSeparator = 1;  // the later runs have another layout
    run.engine.giveBackLeftOverTitles();
    d.windows.focus(front);
    run.engine.tick();
  };  // dropped without its end: nothing given back
  killedRun(kEditor);
  EXPECT_EQ(d.windows.window(kEditor)->title, "6:17 = Editor");

  d.clock.set(Date{2026, 12, 7}, TimeOfDay{16, 52, 0});
  testing::EngineRig next(d);
  next.engine.giveBackLeftOverTitles();
  EXPECT_EQ(d.windows.window(kEditor)->title, "Editor");  // before any tick
  next.engine.tick();
  EXPECT_EQ(d.windows.window(kEditor)->title, "16:52 Editor");
  next.engine.restoreOnExit();
  EXPECT_EQ(d.windows.window(kEditor)->title, "Editor");
  EXPECT_TRUE(d.journal.leftOver().empty());

  killedRun(kMail);
  d.windows.retitle(kMail, "Inbox (1)");  // while nothing ran
  testing::EngineRig third(d);
  third.engine.giveBackLeftOverTitles();
  EXPECT_EQ(d.windows.window(kMail)->title, "Inbox (1)");
  EXPECT_TRUE(d.journal.leftOver().empty());
}

}  // namespace
}  // namespace kivo
