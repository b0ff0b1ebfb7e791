#pragma once
// The hourly signals: in minute 00 of every hour, once, the chime or the
// cuckoo count, the title-bar flash and the window shake, each as the
// settings dialog switched it.

#include <cstdint>
#include <functional>

#include "platform/errors.h"
#include "platform/platform.h"

namespace kivo {

class WindowShake;

class HourlySignals {
 public:
  HourlySignals(Clock& clock, SettingsStore& store, Sound& sound, Toolkit& toolkit,
                ErrorReporter& errors, WindowShake& shake, std::function<void()> startFlash)
      : clock_(clock),
        store_(store),
        sound_(sound),
        toolkit_(toolkit),
        errors_(errors),
        shake_(shake),
        startFlash_(std::move(startFlash)) {}

  // Gives the signals when it is time. Minute 01 re-arms them; so does
  // minute 00 of an hour other than the one signalled last, for a machine
  // that slept through minute 01. At most one set of signals per hour.
  // `front` is the window the shake moves.
  void check(Hwnd front);

  bool given() const { return given_; }

 private:
  void chime(const TimeOfDay& now);

  Clock& clock_;
  SettingsStore& store_;
  Sound& sound_;
  Toolkit& toolkit_;
  ErrorReporter& errors_;
  WindowShake& shake_;
  std::function<void()> startFlash_;
  bool given_ = false;
  Date givenDate_{};
  int givenHour_ = -1;
};

}  // namespace kivo
