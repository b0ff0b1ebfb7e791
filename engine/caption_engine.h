#pragma once
// The caption engine: on every tick it renders the clock, follows the window
// in front and writes the clock into its caption beside the window's own
// title; when the window leaves the front (or the program ends) it gets its
// own title back. It also drives the hourly signals and the alarm, which
// go by the same minutes.
//
// A caption carries our clock only where we put it: first and followed by
// the separator (clock on the left), or at the very end after the separator
// (clock on the right), with the clock written last or this tick's. Any
// other caption, however much it looks like a time, is the window's own
// title. Captions are kept as read: the text and at least one NUL after it.

#include <cstdint>
#include <optional>
#include <string>

#include "clocktext/renderer.h"
#include "platform/errors.h"
#include "platform/platform.h"
#include "settings/running_settings.h"

namespace kivo {

class DailyAlarm;
class HourlySignals;

class CaptionEngine {
 public:
  struct Services {
    WindowSystem& windows;
    DecorationJournal& journal;
    Clock& clock;
    ErrorReporter& errors;
  };
  // What the engine knows between ticks.
  struct State {
    std::string ownTitle;            // the followed window's own title
    std::string lastCaption;         // its caption as the engine left it last tick
    std::string caption;             // read this tick; after composing, as written
    std::string clock;               // the clock text of this tick
    std::string lastClock;           // the clock text written last
    Hwnd front = 0;                  // the window in front this tick
    Hwnd followed = 0;               // the window the engine follows (0 before the first tick)
    bool leftAlone = false;          // the followed window gets no clock (window list, spell check)
    std::optional<TimeKey> lastKey;  // the time key of the last tick that composed
    // How the caption written last was laid out: its separator ("" when
    // nothing of ours was written) and side.
    std::string lastSeparator;
    std::uint8_t lastClockRight = 0;
  };

  CaptionEngine(Services services, const RunningSettings& settings, HourlySignals& hourly,
                DailyAlarm& alarm)
      : s_(services), settings_(settings), signals_(hourly), alarm_(alarm) {}

  // One tick of the main timer.
  void tick();
  // Before the first tick: every window an earlier run left decorated (as
  // the journal records) and that still shows what was written gets its own
  // title back.
  void giveBackLeftOverTitles();
  // Gives the followed window its own title back and writes no clock after
  // this. Safe to call more than once; writes nothing to a window left
  // alone or when no tick has run.
  void restoreOnExit() noexcept;

  const State& state() const { return st_; }

  // The window's own title in a caption that carries our clock where we put
  // it; nothing for any other caption.
  std::optional<std::string> titleBesideClock(const std::string& caption) const;

 private:
  void sameWindowTick(const TimeKey& key);
  void newWindowTick(const TimeKey& key);
  std::string readCaption(Hwnd window);
  // Writes the clock beside the own title into the front window.
  void compose();
  // Recomposes when the window changed its caption since the last tick.
  void repairIfChanged();
  // Gives `window` (the one leaving the front) its own title back.
  void giveBack(Hwnd window);
  // The own title from a caption the window changed.
  void recoverOwnTitle(const std::string& caption);

  Services s_;
  const RunningSettings& settings_;
  HourlySignals& signals_;
  DailyAlarm& alarm_;
  State st_;
  bool ended_ = false;
};

}  // namespace kivo
