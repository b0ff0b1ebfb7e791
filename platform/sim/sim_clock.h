#pragma once
// Simulated local clock: a settable date and time, advanced in milliseconds.

#include <cstdint>

#include "platform/date.h"
#include "platform/platform.h"

namespace kivo::sim {

class SimClock : public Clock {
 public:
  TimeOfDay timeOfDay() override;
  Date date() override;

  void set(const Date& date, const TimeOfDay& time);
  // Moves the clock forward (or back, for negative values), rolling the date.
  void advanceMs(std::int64_t ms);
  // Milliseconds since 1 January 1, midnight: the timeline timers run on.
  std::int64_t nowMs() const { return ms_; }

 private:
  // Day 0 of the timeline is 1 January 1: it never goes negative.
  static constexpr std::int64_t kDays1To1970 = 719162;
  std::int64_t ms_ = (date::daysFrom1970(Date{2000, 1, 1}) + kDays1To1970) * 86400000LL;
};

}  // namespace kivo::sim
