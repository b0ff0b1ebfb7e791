#pragma once
// The program object: wires the caption engine, the signals and the windows
// to the platform's services, and is the one way out of the program.

#include <memory>

#include "app/error_boxes.h"
#include "engine/caption_engine.h"
#include "platform/platform.h"
#include "settings/held_store.h"
#include "settings/running_settings.h"
#include "signals/daily_alarm.h"
#include "signals/flash_burst.h"
#include "signals/hourly_signals.h"
#include "signals/window_shake.h"

namespace kivo {

class MainWindow;

class Kivo {
 public:
  // The program works on `platform`, with its store behind a
  // HeldSettingsStore: what the store refuses to save is held in memory.
  explicit Kivo(Platform& platform);
  ~Kivo();
  Kivo(const Kivo&) = delete;
  Kivo& operator=(const Kivo&) = delete;

  // Creates the main window and loads it: the start-up.
  void start();
  // Ends the program at once: gives the window that carries the clock its
  // own title back, stops the ticks and asks the toolkit to quit. The one
  // way out: Exit and a start that hands over call it, and so do the
  // backends on logging out and on termination signals. Only the first call
  // does anything.
  void end();
  bool ended() const { return ended_; }

  MainWindow* main() const { return main_.get(); }
  const CaptionEngine& engine() const { return engine_; }
  const RunningSettings& settings() const { return settings_; }
  const HourlySignals& hourlySignals() const { return hourly_; }
  const DailyAlarm& alarm() const { return alarm_; }
  const FlashBurst& flash() const { return flash_; }
  // The language the windows and boxes speak, chosen at the start-up.
  const Translation& texts() const { return texts_; }

 private:
  Hwnd mainWindowHandle() const;
  void startFlash();

  Platform& platform_;
  HeldSettingsStore store_;
  Translation texts_;
  ErrorBoxes errors_;
  RunningSettings settings_;
  WindowShake shake_;
  FlashBurst flash_;
  HourlySignals hourly_;
  DailyAlarm alarm_;
  CaptionEngine engine_;
  std::unique_ptr<MainWindow> main_;
  bool ended_ = false;
};

}  // namespace kivo
