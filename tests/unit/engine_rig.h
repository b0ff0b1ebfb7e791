#pragma once
// The caption engine and the signals on a simulated desktop, wired as the
// program wires them, with settings the test sets directly.

#include "app/error_boxes.h"
#include "engine/caption_engine.h"
#include "platform/sim/sim_desktop.h"
#include "settings/running_settings.h"
#include "signals/daily_alarm.h"
#include "signals/hourly_signals.h"
#include "signals/window_shake.h"

namespace kivo::testing {

struct EngineRig {
  explicit EngineRig(sim::SimDesktop& desk) : d(desk) {}

  sim::SimDesktop& d;
  RunningSettings settings;
  ErrorBoxes errors{d.toolkit};
  WindowShake shake{d.windows, d.toolkit, d.store, errors, [] { return Hwnd{0}; }};
  HourlySignals hourly{d.clock, d.store, d.sound, d.toolkit, errors, shake, [] {}};
  DailyAlarm alarm{{d.clock, d.store, d.sound, d.shell, d.toolkit},
                   settings.alarm,
                   [] { return Hwnd{0}; },
                   [] {}};
  CaptionEngine engine{{d.windows, d.journal, d.clock, errors}, settings, hourly, alarm};
};

}  // namespace kivo::testing
