#pragma once
// Simulated local clock: a settable date and time, advanced in milliseconds.

#include <cstdint>

#include "platform/platform.h"

namespace kivo::sim {

// Days since 1 January 1 of the proleptic Gregorian calendar, and back.
std::int64_t daysFromCivil(const Date& d);
Date civilFromDays(std::int64_t days);
bool isValidDate(const Date& d);

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
  std::int64_t ms_ = daysFromCivil(Date{2000, 1, 1}) * 86400000LL;
};

}  // namespace kivo::sim
