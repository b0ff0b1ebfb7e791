#pragma once
// Calendar arithmetic and the English and Japanese names the picture
// formatter prints: weekday, day and week of the year, month and weekday
// names, and the Japanese eras.
//
// Every function takes any field values without fault: a month outside 1 to
// 12 is taken as the nearest of them, a day outside the month simply counts
// on from day 1, and all sums run in 64 bits, so a stray date from a caller
// gives odd numbers at worst, never a crash.

#include <cstdint>
#include <string_view>

#include "platform/platform.h"

namespace kivo::calendar {

// Month clamped into 1 to 12; the index of the name tables.
int clampMonth(int month);

// Weekday 0 (Sunday) to 6 (Saturday).
int weekday(const Date& date);

// Day of the year, 1 for 1 January.
std::int64_t dayOfYear(const Date& date);

// Week of the year, Sunday as the first day of the week and the week that
// holds 1 January as week 1: 1 to 54.
std::int64_t weekOfYear(const Date& date);

// English month and weekday names (month 1 to 12, weekday 0 = Sunday).
std::string_view monthAbbr(int month);
std::string_view monthName(int month);
std::string_view weekdayAbbr(int weekday);
std::string_view weekdayName(int weekday);

// Japanese weekday: one character (日) and full (日曜日).
std::string_view weekdayJapanese(int weekday);
std::string_view weekdayJapaneseFull(int weekday);

// A Japanese era: its first day and its names.
struct Era {
  Date start;
  std::string_view letter;  // M, T, S, H, R
  std::string_view kanji;   // 明, 大, 昭, 平, 令
  std::string_view name;    // 明治, 大正, 昭和, 平成, 令和
};

// The era a date falls in, or nullptr before Meiji.
const Era* eraOf(const Date& date);

// Year within the era: 1 in the era's first calendar year.
inline std::int64_t eraYear(const Era& era, const Date& date) {
  return static_cast<std::int64_t>(date.year) - era.start.year + 1;
}

}  // namespace kivo::calendar
