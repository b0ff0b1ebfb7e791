// The main tick: the clock, the window in front, the signals and the alarm.
#include "engine/caption_engine.h"
#include "engine/window_classes.h"
#include "signals/daily_alarm.h"
#include "signals/hourly_signals.h"

namespace kivo {

void CaptionEngine::tick() {
  const TimeOfDay time = s_.clock.timeOfDay();
  const Date date = s_.clock.date();  // after the time: just past midnight gives the new day
  RenderedClock rendered = renderClock(settings_.clockTemplate, date, time);
  st_.clock = std::move(rendered.text);
  st_.front = s_.windows.getForegroundWindow();
  // The first tick after start-up lands on a new window, as does a desktop
  // with no foreground window.
  if (st_.front == st_.followed) {
    sameWindowTick(rendered.key);
  } else {
    newWindowTick(rendered.key);
  }
}

void CaptionEngine::sameWindowTick(const TimeKey& key) {
  st_.caption = readCaption(st_.front);
  if (st_.lastKey == key) {
    // Same minute (or second): only repair a caption the window changed.
    repairIfChanged();
    return;
  }
  // A title the window set since the last tick is its latest one, also when
  // it kept our clock in it: recover it before the new clock goes in.
  if (!st_.leftAlone && st_.caption != st_.lastCaption) recoverOwnTitle(st_.caption);
  signals_.check(st_.front);
  if (!st_.leftAlone) compose();
  if (settings_.alarm.on == 1 && (!st_.lastKey || !key.sameMinute(*st_.lastKey))) {
    // While its box is up other handlers run, and what they fail at comes
    // out here.
    reportFailure(s_.errors, "frmMain!tmrMain_Timer", [&] { alarm_.check(); });
  }
  st_.lastKey = key;
  st_.lastCaption = st_.caption;
}

void CaptionEngine::newWindowTick(const TimeKey& key) {
  giveBack(st_.followed);
  st_.followed = st_.front;
  const std::string className = classNameOf(s_.windows, st_.front);
  const bool leaveAlone =
      isDialogDuringSpellCheck(s_.windows, className) || isListed(settings_.windowList, className);
  st_.caption = readCaption(st_.front);
  st_.ownTitle = st_.caption;
  if (leaveAlone) {
    st_.leftAlone = true;
  } else {
    compose();
    st_.leftAlone = false;
  }
  signals_.check(st_.front);
  st_.lastKey = key;
  st_.lastCaption = st_.caption;
}

void CaptionEngine::repairIfChanged() {
  st_.caption = readCaption(st_.front);
  if (st_.caption == st_.lastCaption) return;  // as we left it
  recoverOwnTitle(st_.caption);
  signals_.check(st_.front);
  if (!st_.leftAlone) compose();
  st_.lastCaption = st_.caption;
}

}  // namespace kivo
