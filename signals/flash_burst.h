#pragma once
// The title-bar flash: a burst of inversions of the window in front, one per
// step of the flash timer, after the hourly signal and after the alarm.

#include <cstdint>
#include <functional>

#include "platform/errors.h"
#include "platform/platform.h"

namespace kivo {

class FlashBurst {
 public:
  FlashBurst(WindowSystem& windows, SettingsStore& store, ErrorReporter& errors,
             std::function<Hwnd()> owner)
      : windows_(windows), store_(store), errors_(errors), owner_(std::move(owner)) {}

  // One step of the burst: inverts the title bar of `front` (the window in
  // front now: a burst follows the user to another window). The first step
  // reads the stored limit ("FlashLimit"); a limit out of range is put back
  // to its default and the user told. Returns false when the burst is over
  // and the timer should stop.
  bool step(Hwnd front);

  std::uint8_t count() const { return count_; }
  std::uint8_t limit() const { return limit_; }

 private:
  WindowSystem& windows_;
  SettingsStore& store_;
  ErrorReporter& errors_;
  std::function<Hwnd()> owner_;
  std::uint8_t count_ = 0;
  std::uint8_t limit_ = 0;
};

}  // namespace kivo
