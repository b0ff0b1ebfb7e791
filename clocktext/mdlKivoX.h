#pragma once
// The custom-format module: the clock renderer, the 12-hour hour, the moon
// age and glyph, and the custom template reader. Each procedure traps its own
// errors and reports them with ReportXXError under its own tag.

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace kivo {

// The "XXFormat" setting, empty when missing. Tag "GetXXF".
std::string GetXXF(Platform& p);

// Renders `clockTemplate` at the current time (read first) and date; writes
// the time key ("h:n" or "h:n:s") into timeKey. Returns "XXErr" on an
// unclosed code. Tag "FromXXFToShowClk".
std::string FromXXFToShowClk(Platform& p, const std::string& clockTemplate, std::string& timeKey);

// The 12-hour rendering of a "t" code. Tag "APTime".
std::string APTime(Platform& p, const TimeOfDay& time, const std::string& code);

// Moon age 0 to 29 of a date. Tag "MoonAge".
std::int16_t MoonAge(Platform& p, const Date& date);

// Text glyph of a moon age. Tag "MoonGraphic".
std::string MoonGraphic(Platform& p, std::int16_t age);

}  // namespace kivo
