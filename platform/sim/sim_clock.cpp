// Simulated clock on a millisecond timeline.
#include "platform/sim/sim_clock.h"

namespace kivo::sim {

TimeOfDay SimClock::timeOfDay() {
  const std::int64_t s = (ms_ % 86400000LL) / 1000;
  return TimeOfDay{static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60), static_cast<int>(s % 60)};
}

Date SimClock::date() { return date::fromDays1970(ms_ / 86400000LL - kDays1To1970); }

void SimClock::set(const Date& date, const TimeOfDay& time) {
  ms_ = (date::daysFrom1970(date) + kDays1To1970) * 86400000LL +
        (time.hour * 3600LL + time.minute * 60LL + time.second) * 1000LL;
}

void SimClock::advanceMs(std::int64_t ms) {
  ms_ += ms;
  if (ms_ < 0) ms_ = 0;
}

}  // namespace kivo::sim
