// Simulated clock on a millisecond timeline.
#include "platform/sim/sim_clock.h"

namespace kivo::sim {

std::int64_t daysFromCivil(const Date& d) {
  // Howard Hinnant's days_from_civil, shifted so 0001-01-01 is day 0.
  const std::int64_t y = d.month <= 2 ? d.year - 1 : d.year;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t mp = (d.month + 9) % 12;
  const std::int64_t doy = (153 * mp + 2) / 5 + d.day - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468 + 719162;
}

Date civilFromDays(std::int64_t days) {
  const std::int64_t z = days - 719162 + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
  return Date{year, month, day};
}

bool isValidDate(const Date& d) {
  if (d.year < 1 || d.year > 9999 || d.month < 1 || d.month > 12 || d.day < 1) return false;
  return civilFromDays(daysFromCivil(d)) == d;
}

TimeOfDay SimClock::timeOfDay() {
  const std::int64_t s = (ms_ % 86400000LL) / 1000;
  return TimeOfDay{static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60), static_cast<int>(s % 60)};
}

Date SimClock::date() { return civilFromDays(ms_ / 86400000LL); }

void SimClock::set(const Date& date, const TimeOfDay& time) {
  ms_ = daysFromCivil(date) * 86400000LL +
        (time.hour * 3600LL + time.minute * 60LL + time.second) * 1000LL;
}

void SimClock::advanceMs(std::int64_t ms) {
  ms_ += ms;
  if (ms_ < 0) ms_ = 0;
}

}  // namespace kivo::sim
