// Linux clock: the local time of the C library.
#include "platform/x11/linux_clock.h"

#include <ctime>

namespace kivo::x11 {
namespace {

std::tm localNow() {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  return t;
}

}  // namespace

TimeOfDay LinuxClock::timeOfDay() {
  const std::tm t = localNow();
  // A leap second (60) reads as the last second of its minute.
  return TimeOfDay{t.tm_hour, t.tm_min, t.tm_sec > 59 ? 59 : t.tm_sec};
}

Date LinuxClock::date() {
  const std::tm t = localNow();
  return Date{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday};
}

}  // namespace kivo::x11
