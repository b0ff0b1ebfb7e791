#pragma once
// The caption engine and the signals on a simulated desktop, wired as the
// program wires them, with settings the test sets directly (the clock
// "h:nn" to begin with).

#include <functional>
#include <utility>

#include "app/error_boxes.h"
#include "engine/caption_engine.h"
#include "platform/sim/sim_desktop.h"
#include "settings/running_settings.h"
#include "signals/daily_alarm.h"
#include "signals/hourly_signals.h"
#include "signals/window_shake.h"

namespace kivo::testing {

struct EngineRig {
  // Sounds go to `sound` and opened files to `shell`; `startFlash` stands for
  // the flash burst the signals start.
  EngineRig(sim::SimDesktop& desk, Sound& sound, Shell& shell, std::function<void()> startFlash)
      : d(desk), sound(sound), shell(shell), startFlash(std::move(startFlash)) {
    settings.clockTemplate = "%h:nn%";
  }
  explicit EngineRig(sim::SimDesktop& desk) : EngineRig(desk, desk.sound, desk.shell, [] {}) {}

  sim::SimDesktop& d;
  Sound& sound;
  Shell& shell;
  std::function<void()> startFlash;
  RunningSettings settings;
  ErrorBoxes errors{d.toolkit};
  WindowShake shake{d.windows, d.toolkit, d.store, errors, [] { return Hwnd{0}; }};
  HourlySignals hourly{d.clock, d.store, sound, d.toolkit, errors, shake, [this] { startFlash(); }};
  DailyAlarm alarm{{d.clock, d.store, sound, shell, d.toolkit},
                   settings.alarm,
                   [] { return Hwnd{0}; },
                   [this] { startFlash(); }};
  CaptionEngine engine{{d.windows, d.journal, d.clock, errors}, settings, hourly, alarm};
};

}  // namespace kivo::testing
