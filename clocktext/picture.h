#pragma once
// The picture formatter: formats a date and time of day by a picture text,
// in the date/time picture language of the classic Format function, with
// Sunday as the first day of the week and the week containing 1 January as
// the first week. Never throws, never reads past its input.

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace kivo {

// The zero date that time values carry: 30 December 1899, a Saturday.
inline constexpr Date kZeroDate{1899, 12, 30};

std::string formatPicture(const Date& date, const TimeOfDay& time, std::string_view picture);
// The same text, appended to `out` (the renderer builds its clock in place).
void appendPicture(std::string& out, const Date& date, const TimeOfDay& time,
                   std::string_view picture);

// A time of day (its date part is the zero date).
inline std::string formatTime(const TimeOfDay& time, std::string_view picture) {
  return formatPicture(kZeroDate, time, picture);
}
// A date (its time part is midnight).
inline std::string formatDate(const Date& date, std::string_view picture) {
  return formatPicture(date, TimeOfDay{}, picture);
}

}  // namespace kivo
