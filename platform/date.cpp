// Day numbers of the proleptic Gregorian calendar (the days-from-civil
// count in 400-year cycles, with a March-based year that puts the leap day
// last).
#include "platform/date.h"

namespace kivo::date {
namespace {

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

// Day 0 of the 400-year cycles below is 1 March of year 0.
constexpr std::int64_t kCycleStartTo1970 = 719468;

}  // namespace

std::int64_t daysFrom1970(const Date& date) {
  const std::int64_t m = date.month < 1 ? 1 : (date.month > 12 ? 12 : date.month);
  const std::int64_t y = static_cast<std::int64_t>(date.year) - (m <= 2 ? 1 : 0);
  const std::int64_t era = floorDiv(y, 400);
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - kCycleStartTo1970 + (static_cast<std::int64_t>(date.day) - 1);
}

Date fromDays1970(std::int64_t days) {
  const std::int64_t z = days + kCycleStartTo1970;
  const std::int64_t era = floorDiv(z, 146097);
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
  return Date{year, month, day};
}

bool isValid(const Date& date) {
  if (date.year < 1 || date.year > 9999 || date.month < 1 || date.month > 12 || date.day < 1)
    return false;
  return fromDays1970(daysFrom1970(date)) == date;
}

}  // namespace kivo::date
