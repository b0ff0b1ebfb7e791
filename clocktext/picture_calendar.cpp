// Calendar arithmetic and name tables for the picture formatter.
#include "clocktext/picture_calendar.h"

#include <array>

#include "platform/date.h"

namespace kivo::calendar {
namespace {

constexpr std::array<std::string_view, 12> kMonthAbbr = {
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<std::string_view, 12> kMonthName = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<std::string_view, 7> kWeekdayAbbr = {"Sun", "Mon", "Tue", "Wed",
                                                          "Thu", "Fri", "Sat"};
constexpr std::array<std::string_view, 7> kWeekdayName = {
    "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr std::array<std::string_view, 7> kWeekdayJapanese = {"日", "月", "火", "水",
                                                              "木", "金", "土"};
constexpr std::array<std::string_view, 7> kWeekdayJapaneseFull = {
    "日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"};

// Meiji starts on 25 January 1868: the era was proclaimed later that year
// but dated back to the first day of the lunar year, which is 25 January in
// the Gregorian calendar. (The 1868-09-08 some tables give is the lunar
// date of the proclamation read as if it were Gregorian.) The later eras
// start on the days fixed at each accession.
constexpr std::array<Era, 5> kEras = {{
    {{1868, 1, 25}, "M", "明", "明治"},
    {{1912, 7, 30}, "T", "大", "大正"},
    {{1926, 12, 25}, "S", "昭", "昭和"},
    {{1989, 1, 8}, "H", "平", "平成"},
    {{2019, 5, 1}, "R", "令", "令和"},
}};

bool before(const Date& a, const Date& b) {
  if (a.year != b.year) return a.year < b.year;
  if (a.month != b.month) return a.month < b.month;
  return a.day < b.day;
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

int wrapWeekday(int w) { return ((w % 7) + 7) % 7; }

}  // namespace

int clampMonth(int month) { return month < 1 ? 1 : (month > 12 ? 12 : month); }

int weekday(const Date& date) {
  // 1 January 1970 was a Thursday.
  const std::int64_t z = date::daysFrom1970(date);
  return wrapWeekday(static_cast<int>(((z % 7) + 7 + 4) % 7));
}

std::int64_t dayOfYear(const Date& date) {
  return date::daysFrom1970(date) - date::daysFrom1970(Date{date.year, 1, 1}) + 1;
}

std::int64_t weekOfYear(const Date& date) {
  const int firstWeekday = weekday(Date{date.year, 1, 1});
  return floorDiv(dayOfYear(date) - 1 + firstWeekday, 7) + 1;
}

std::string_view monthAbbr(int month) { return kMonthAbbr[clampMonth(month) - 1]; }
std::string_view monthName(int month) { return kMonthName[clampMonth(month) - 1]; }
std::string_view weekdayAbbr(int w) { return kWeekdayAbbr[wrapWeekday(w)]; }
std::string_view weekdayName(int w) { return kWeekdayName[wrapWeekday(w)]; }
std::string_view weekdayJapanese(int w) { return kWeekdayJapanese[wrapWeekday(w)]; }
std::string_view weekdayJapaneseFull(int w) { return kWeekdayJapaneseFull[wrapWeekday(w)]; }

const Era* eraOf(const Date& date) {
  for (auto it = kEras.rbegin(); it != kEras.rend(); ++it) {
    if (!before(date, it->start)) return &*it;
  }
  return nullptr;
}

}  // namespace kivo::calendar
