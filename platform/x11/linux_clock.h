#pragma once
// The clock on Linux: the local date and time of day (localtime_r, so the
// time zone and daylight saving time are the system's, TZ included).

#include "platform/platform.h"

namespace kivo::x11 {

class LinuxClock : public Clock {
 public:
  TimeOfDay timeOfDay() override;
  Date date() override;
};

}  // namespace kivo::x11
