#pragma once
// The template of the standard clock, built from what the settings dialog
// stores.

#include <string>

#include "settings/clock_face.h"

namespace kivo {

// "%h:nn%" or "%tt h:nn%" (with ":ss" for seconds), then ",%yy%" for the
// year; style 0 adds ",%mmm%,%d%" and ",%ddd%" (month name, English
// weekday), style 1 ",%m%/%d%" and ",%aaa%" (Japanese weekday).
std::string standardClockTemplate(const ClockFace& face);

}  // namespace kivo
