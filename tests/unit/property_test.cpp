// Property test of the caption engine: random foreground changes, windows
// retitling (with or without the clock we wrote, also on the tick where the
// minute turns or the window leaves the front), closing and opening, clock
// steps and layout flips, under the standard clock, an empty clock and one
// whose text changes within a time key, with the caption invariants checked
// after every tick.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/clock_template.h"
#include "platform/sim/sim_desktop.h"
#include "platform/text.h"
#include "settings/layout.h"
#include "tests/unit/engine_rig.h"

namespace kivo {
namespace {

// Titles hold no digit and no colon, so a clock in a title can only have
// come from the engine, except that a window left alone may show the time
// itself (a clock of its own), and that must not lure the engine into it.
constexpr const char* kWords[] = {"Editor", "Memo", "Shell", "report", "a b", "x", "Draft", "="};
constexpr const char* kClasses[] = {"Edit", "Term", "Viewer", "Notepad"};
constexpr const char* kExcludedClass = "Notepad";  // WindowList0 in every run

// The clock a run shows: the standard one from the settings, or a
// companion's custom template. "": the flag on and no template stored, so
// the clock is empty; a capital SS shows seconds under an "h:n" key.
constexpr const char* kCustomTemplates[] = {"", "%h:nn:SS%"};

class Desk {
 public:
  // custom: -1 for the standard clock, else an index into kCustomTemplates.
  Desk(std::uint32_t seed, int custom) : rng_(seed) {
    d_.clock.set(Date{2024, 5, 6}, TimeOfDay{9, 15, 0});
    RunningSettings& settings = rig_.settings;
    settings.windowList.classes[0] = kExcludedClass;
    settings.windowList.count = 1;
    settings.layout = CaptionLayout{0, 1};
    settings.clockTemplate =
        custom < 0 ? standardTemplateFromStore(d_.store) : kCustomTemplates[custom];
    for (int i = 0; i < 4; ++i) open();
  }

  // One random action and one tick. A failure names the seed and the step:
  // run that seed to see the actions that led there.
  void step() {
    switch (pick(10)) {
      case 0:
      case 1:
      case 2: d_.windows.focus(pick(8) == 0 ? 0 : anyWindow()); break;
      case 3:
      case 4: {
        const Hwnd h = anyWindow();
        if (h == 0) break;
        const std::string before = d_.windows.window(h)->title;
        const std::string oldOwn = own_[h];
        own_[h] = title();
        std::string shown = own_[h];
        if (className_[h] == kExcludedClass && pick(2) == 0) {
          shown = own_[h] += " " + rig_.engine.state().clock;
        } else if (pick(2) == 0) {
          shown = keepingTheClock(h, before, oldOwn, own_[h]);
        }
        d_.windows.retitle(h, shown);
        // The same tick may see the minute turn or the window leave.
        if (pick(3) == 0) {
          d_.clock.advanceMs(60000);
        } else if (pick(2) == 0) {
          d_.windows.focus(anyWindow());
        }
        break;
      }
      case 5: {
        const Hwnd h = anyWindow();
        if (h == 0 || own_.size() < 2) break;
        d_.windows.closeWindow(h);
        own_.erase(h);
        break;
      }
      case 6: open(); break;
      case 7: {
        // Seconds, minutes or hours, so minute, hour and day changes all come.
        static constexpr std::int64_t kUnit[] = {1000, 60000, 3600000};
        d_.clock.advanceMs((1 + pick(50)) * kUnit[pick(3)]);
        break;
      }
      case 8: {
        CaptionLayout& layout = rig_.settings.layout;
        std::uint8_t& flag = pick(2) == 0 ? layout.clockRight : layout.equalsSeparator;
        flag = flag ? 0 : 1;
        break;
      }
      default: {
        // Simulated time, ticking at the Middle pace.
        const std::int64_t ms = pick(3000);
        for (std::int64_t t = 0; t < ms; t += 250) {
          d_.clock.advanceMs(std::min<std::int64_t>(250, ms - t));
          rig_.engine.tick();
        }
        break;
      }
    }
    rig_.engine.tick();
  }

  // The invariants; empty when they hold, else what broke.
  std::string check() const {
    const CaptionEngine::State& s = rig_.engine.state();
    // The caption is rewritten when the time key changes, so after a jump
    // of whole days the front window still shows the clock written last.
    const std::string clock = s.lastClock;
    for (const auto& [h, own] : own_) {
      const std::string& t = d_.windows.window(h)->title;
      const std::string where = std::to_string(h) + " shows \"" + t + "\" for \"" + own + "\": ";
      if (twice(t, clock) || twice(t, s.clock)) return where + "clock piled up";
      const bool excluded = className_.at(h) == kExcludedClass;
      // Titles hold no digit, so beside the one clock written last, a window
      // we decorate shows none: an older clock kept as part of the title is
      // a second clock, whatever its text.
      std::string rest = t;
      if (const auto at = rest.find(clock); !clock.empty() && at != std::string::npos)
        rest.erase(at, clock.size());
      if (!excluded && rest.find_first_of("0123456789") != std::string::npos)
        return where + "two clocks";
      // Away from the front (or left alone), a window shows its own title.
      if ((h != s.front || excluded) && t != own) return where + "not its own title";
      if (h == s.front && !excluded && layoutsOf(t, own, clock) == 0)
        return where + "no layout of " + clock;
    }
    for (const auto& [h, text] : d_.windows.titleWrites())
      if (className_.at(h) == kExcludedClass) return "excluded " + std::to_string(h) + " written";
    return {};
  }

 private:
  std::int64_t pick(std::int64_t n) {
    return std::uniform_int_distribution<std::int64_t>(0, n - 1)(rng_);
  }

  std::string title() {
    std::string t;
    for (std::int64_t i = pick(3); i > 0; --i)
      t += (t.empty() ? "" : " ") + std::string(kWords[pick(8)]);
    return t;
  }

  Hwnd anyWindow() {
    if (own_.empty()) return 0;
    auto it = own_.begin();
    std::advance(it, pick(static_cast<std::int64_t>(own_.size())));
    return it->first;
  }

  void open() {
    const Hwnd h = next_;
    next_ += 0x10;
    own_[h] = title();
    className_[h] = kClasses[pick(4)];
    d_.windows.addWindow(h, className_[h], own_[h]);
  }

  static bool twice(const std::string& hay, const std::string& needle) {
    return !needle.empty() && hay.find(needle) != hay.rfind(needle);
  }

  // In how many of the four layouts t shows the title and the clock. A
  // layout flip acts only at the next rewrite, so any of them may be showing.
  static int layoutsOf(const std::string& t, const std::string& own, const std::string& clock) {
    int n = 0;
    for (const char* sep : {" ", " = "}) n += (t == clock + sep + own) + (t == own + sep + clock);
    return n;
  }

  // The new title of the decorated front window, written beside the clock it
  // shows, as a program does that edits the caption it reads. Only from a
  // caption plainly in the selected layout: a flip of the side or separator
  // waits for the next rewrite, and the caption check cuts by the layout
  // selected now.
  std::string keepingTheClock(Hwnd h, const std::string& shown, const std::string& oldOwn,
                              const std::string& own) const {
    const CaptionEngine::State& s = rig_.engine.state();
    if (h != s.front || s.leftAlone) return own;
    const std::string& clock = s.lastClock;
    const CaptionLayout& layout = rig_.settings.layout;
    const std::string sep = layout.equalsSeparator ? " = " : " ";
    const auto laidOut = [&](const std::string& t) {
      return layout.clockRight ? t + sep + clock : clock + sep + t;
    };
    if (layoutsOf(shown, oldOwn, clock) != 1 || shown != laidOut(oldOwn)) return own;
    return laidOut(own);
  }

  std::mt19937 rng_;
  sim::SimDesktop d_;
  testing::EngineRig rig_{d_};
  std::map<Hwnd, std::string> own_;        // open windows and the titles they set
  std::map<Hwnd, std::string> className_;  // of every window ever opened
  Hwnd next_ = 0x1000;
};

TEST(CaptionProperties, HoldUnderRandomDesktopActivity) {
  constexpr std::uint32_t kSeeds[] = {1, 7, 42, 1998, 20240506, 0xC0FFEE, 31337, 4417};
  constexpr int kSteps = 600;
  // The standard clock, an empty one, and one whose text changes within a
  // time key, each under every seed.
  for (const int custom : {-1, 0, 1})
    for (const std::uint32_t seed : kSeeds) {
      Desk desk(seed, custom);
      for (int step = 0; step < kSteps; ++step) {
        desk.step();
        const std::string broken = desk.check();
        if (broken.empty()) continue;
        ADD_FAILURE() << "seed " << seed << ", clock " << custom << ", step " << step << ": "
                      << broken;
        break;
      }
    }
}

}  // namespace
}  // namespace kivo
