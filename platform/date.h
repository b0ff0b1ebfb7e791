#pragma once
// Calendar arithmetic on the seam's Date: the one place where dates become
// day numbers and back (the picture formatter, the simulated clock and the
// command-line tools all count days through it).

#include <cstdint>

#include "platform/platform.h"

namespace kivo::date {

// Days from 1 January 1970 in the proleptic Gregorian calendar, negative
// before it. Takes any field values without fault: a month outside 1 to 12
// is taken as the nearest of them and a day outside the month counts on
// from day 1, in 64-bit sums, so a stray date gives odd numbers at worst.
std::int64_t daysFrom1970(const Date& date);
// The date of a day number (the inverse for every valid date).
Date fromDays1970(std::int64_t days);
// Year 1 to 9999, month 1 to 12, a day the month has.
bool isValid(const Date& date);

}  // namespace kivo::date
