// Property test of the caption engine: random foreground changes, windows
// retitling, closing and opening, clock steps and layout flips, with the
// caption invariants checked after every tick.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/program.h"
#include "platform/sim/sim_desktop.h"
#include "platform/text.h"
#include "settings/layout.h"
#include "ui/frmMain.h"

namespace kivo {
namespace {

// Titles hold no digit and no colon, so a clock in a title can only have
// come from the engine, except that a window left alone may show the time
// itself (a clock of its own), and that must not lure the engine into it.
constexpr const char* kWords[] = {"Editor", "Memo", "Shell", "report", "a b", "x", "Draft", "="};
constexpr const char* kClasses[] = {"Edit", "Term", "Viewer", "Notepad"};
constexpr const char* kExcludedClass = "Notepad";  // WindowList0 in every run

class Desk {
 public:
  explicit Desk(std::uint32_t seed) : rng_(seed) {
    d_.clock.set(Date{2024, 5, 6}, TimeOfDay{9, 15, 0});
    writeText(d_.store, keys::WindowList[0], kExcludedClass);
    app_.start();
    for (int i = 0; i < 4; ++i) open();
  }

  // One random action and one tick; returns what was done.
  std::string step() {
    std::ostringstream did;
    switch (pick(10)) {
      case 0:
      case 1:
      case 2: {
        const Hwnd h = pick(8) == 0 ? 0 : anyWindow();
        d_.windows.focus(h);
        did << "focus " << h;
        break;
      }
      case 3:
      case 4: {
        const Hwnd h = anyWindow();
        if (h == 0) break;
        own_[h] = title();
        if (className_[h] == kExcludedClass && pick(2) == 0) own_[h] += " " + app_.s.strClock;
        d_.windows.retitle(h, own_[h]);
        did << "retitle " << h << " \"" << own_[h] << "\"";
        break;
      }
      case 5: {
        const Hwnd h = anyWindow();
        if (h == 0 || own_.size() < 2) break;
        d_.windows.closeWindow(h);
        own_.erase(h);
        did << "close " << h;
        break;
      }
      case 6: did << "open " << open(); break;
      case 7: {
        // Seconds, minutes or hours, so minute, hour and day changes all come.
        static constexpr std::int64_t kUnit[] = {1000, 60000, 3600000};
        const std::int64_t ms = (1 + pick(50)) * kUnit[pick(3)];
        d_.clock.advanceMs(ms);
        did << "clock +" << ms << "ms";
        break;
      }
      case 8:
        if (pick(2) == 0) {
          app_.main()->chkRight->userClick();
          did << "chkRight " << app_.main()->chkRight->value();
        } else {
          app_.s.bEqualSeparate = app_.s.bEqualSeparate ? 0 : 1;
          did << "bEqualSeparate " << int(app_.s.bEqualSeparate);
        }
        break;
      default: {
        // Simulated time with every timer (the flash bursts among them).
        const std::int64_t ms = pick(3000);
        d_.toolkit.runFor(ms);
        did << "run " << ms << "ms";
        break;
      }
    }
    app_.main()->tmrMain->fire();
    return did.str();
  }

  // The invariants; empty when they hold, else what broke.
  std::string check() const {
    const EngineState& s = app_.s;
    // The caption is rewritten when the time key changes, so after a jump
    // of whole days the front window still shows the clock written last.
    const std::string clock = s.strLastClock;
    for (const auto& [h, own] : own_) {
      const std::string& t = d_.windows.window(h)->title;
      if (count(t, clock) > 1 || count(t, s.strClock) > 1) {
        return "clock piled up in " + std::to_string(h) + ": " + t;
      }
      const bool excluded = className_.at(h) == kExcludedClass;
      if (h != s.hActiveWnd || excluded) {
        // Away from the front (or left alone), a window shows its own title.
        if (t != own)
          return "window " + std::to_string(h) + " shows \"" + t + "\", its own title is \"" + own +
                 "\"";
      } else if (!isDecoration(t, own, clock)) {
        return "front window " + std::to_string(h) + " shows \"" + t + "\" for \"" + own +
               "\" at " + clock;
      }
    }
    for (const auto& [h, text] : d_.windows.titleWrites()) {
      const auto cls = everClass_.find(h);
      if (cls != everClass_.end() && cls->second == kExcludedClass) {
        return "excluded window " + std::to_string(h) + " was written \"" + text + "\"";
      }
    }
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

  Hwnd open() {
    const Hwnd h = next_;
    next_ += 0x10;
    own_[h] = title();
    className_[h] = everClass_[h] = kClasses[pick(4)];
    d_.windows.addWindow(h, className_[h], own_[h]);
    return h;
  }

  static int count(const std::string& hay, const std::string& needle) {
    int n = 0;
    for (std::size_t at = hay.find(needle); !needle.empty() && at != std::string::npos;
         at = hay.find(needle, at + 1)) {
      ++n;
    }
    return n;
  }

  // The title and the clock in one of the four layouts. A layout flip acts
  // only at the next rewrite, so any of them may be showing.
  static bool isDecoration(const std::string& t, const std::string& own, const std::string& clock) {
    for (const char* sep : {" ", " = "}) {
      if (t == clock + sep + own || t == own + sep + clock) return true;
    }
    return false;
  }

  std::mt19937 rng_;
  sim::SimDesktop d_;
  Kivo app_{d_.platform};
  std::map<Hwnd, std::string> own_;  // open windows and the titles they set
  std::map<Hwnd, std::string> className_;
  std::map<Hwnd, std::string> everClass_;  // every window ever opened
  Hwnd next_ = 0x1000;
};

TEST(CaptionProperties, HoldUnderRandomDesktopActivity) {
  constexpr std::uint32_t kSeeds[] = {1, 7, 42, 1998, 20240506, 0xC0FFEE, 31337, 4417};
  constexpr int kSteps = 600;
  for (const std::uint32_t seed : kSeeds) {
    Desk desk(seed);
    std::vector<std::string> recent;
    for (int step = 0; step < kSteps; ++step) {
      recent.push_back(desk.step());
      if (recent.size() > 8) recent.erase(recent.begin());
      const std::string broken = desk.check();
      if (broken.empty()) continue;
      std::string trail;
      for (const std::string& r : recent) trail += "\n  " + r;
      ADD_FAILURE() << "seed " << seed << ", step " << step << ": " << broken
                    << "\nlast actions:" << trail;
      break;
    }
  }
}

}  // namespace
}  // namespace kivo
