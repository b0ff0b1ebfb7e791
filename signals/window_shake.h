#pragma once
// The window shake of the hourly signals: the window in front moves right,
// down, left and up around where it stood, a number of rounds.

#include <cstdint>
#include <functional>

#include "platform/errors.h"
#include "platform/platform.h"
#include "settings/layout.h"

namespace kivo {

class WindowShake {
 public:
  // `owner` gives the window a box about a repaired setting belongs to.
  WindowShake(WindowSystem& windows, Toolkit& toolkit, SettingsStore& store, ErrorReporter& errors,
              std::function<Hwnd()> owner)
      : windows_(windows),
        toolkit_(toolkit),
        store_(store),
        errors_(errors),
        owner_(std::move(owner)) {}

  // Shakes `window` rounds + 1 times, by the stored amplitude ("VibrateWidth",
  // in twips). An amplitude out of range is put back to its default (and the
  // user told, once per shake); any other error is reported and the shake
  // goes on with what it has. No move back: the window ends dy pixels above
  // where it was.
  void shake(Hwnd window, std::int16_t rounds);

 private:
  // Runs one step; see shake().
  template <class Step>
  void step(Step&& body, std::int16_t& width, bool& repaired);

  WindowSystem& windows_;
  Toolkit& toolkit_;
  SettingsStore& store_;
  ErrorReporter& errors_;
  std::function<Hwnd()> owner_;
};

// Tells the user a stored setting was out of range and put back to its
// default, and stores the default.
void repairSetting(SettingsStore& store, ErrorReporter& errors, Hwnd owner, const char* text,
                   const SettingKey& key, long fallback);

}  // namespace kivo
