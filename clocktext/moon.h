#pragma once
// The moon age of a date by the short calendar formula, and its text glyph.
//
// Meant for the dates a clock shows: years 1 to 9999. Any other field
// values (year 40000, a negative year, month 13) still give an age from 0 to
// 29 without fault: the sums run in 64 bits.

#include <string_view>

#include "platform/platform.h"

namespace kivo {

// Moon age 0 to 29 of a date.
int moonAge(const Date& date);

// Text glyph of a moon age: "*-" new, " )" waxing, "|)", "○" full, "(|",
// "( " waning, "-*" dark; "??" beyond 30 and empty below 0.
std::string_view moonGlyph(int age);

}  // namespace kivo
