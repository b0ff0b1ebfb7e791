#pragma once
// The daily alarm: at the alarm time a sound or program, a box with the
// user's message, then the title-bar flash. Cancel in the box snoozes: the
// alarm comes back every fourth check until the user answers OK.

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/platform.h"
#include "settings/running_settings.h"

namespace kivo {

// "hh:nn", two digits each, as a time of day; nothing for any other text.
std::optional<TimeOfDay> alarmTimeOf(const std::string& stored);

class DailyAlarm {
 public:
  struct Services {
    Clock& clock;
    SettingsStore& store;
    Sound& sound;
    Shell& shell;
    Toolkit& toolkit;
  };
  DailyAlarm(Services services, const AlarmSettings& settings, std::function<Hwnd()> owner,
             std::function<void()> startFlash)
      : s_(services),
        settings_(settings),
        owner_(std::move(owner)),
        startFlash_(std::move(startFlash)) {}

  // Called once per new minute while the alarm is on.
  void check();

  bool snoozing() const { return snoozing_; }
  std::uint8_t checksSinceSnooze() const { return wait_; }

 private:
  // File, box, then the flash; the user's answer.
  int ring();

  Services s_;
  const AlarmSettings& settings_;
  std::function<Hwnd()> owner_;
  std::function<void()> startFlash_;
  bool snoozing_ = false;
  std::uint8_t wait_ = 0;
};

}  // namespace kivo
