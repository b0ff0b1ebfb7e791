// Tests of the picture formatter: the codes the program hands it and the
// wider picture language custom templates may use.
#include <gtest/gtest.h>

#include "clocktext/picture.h"

namespace kivo {
namespace {

struct Case {
  Date date;
  TimeOfDay time;
  const char* picture;
  const char* want;
};

void expectAll(std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    EXPECT_EQ(formatPicture(c.date, c.time, c.picture), c.want)
        << c.picture << " at " << c.date.year << "-" << c.date.month << "-" << c.date.day << " "
        << c.time.hour << ":" << c.time.minute << ":" << c.time.second;
  }
}

constexpr Date kSat{1998, 12, 5};  // a Saturday
constexpr TimeOfDay k0905{9, 5, 7};
constexpr TimeOfDay k1505{15, 5, 7};

// One row per code path and every boundary; the codes the renderer's own
// cases and the template guide's examples pin through templates are left to them.
TEST(Picture, Codes) {
  expectAll({
      {kSat, k0905, "h:n:s", "9:5:7"},
      {kSat, {0, 0, 0}, "hh:nn", "00:00"},
      {kSat, {11, 59, 59}, "A/P", "A"},
      {kSat, {12, 0, 0}, "A/P", "P"},
      {{2005, 1, 9}, k0905, "yy", "05"},
      {{-7, 1, 1}, {}, "yy yyyy", "93 -0007"},
      {{1998, 12, 6}, k0905, "aaa", "日"},
      {kSat, k0905, "dd/mm/yyyy ddd", "05/12/1998 Sat"},
      {kSat, k0905, "DDDD, MMMM", "Saturday, December"},
      {kSat, k0905, "q", "4"},
      {kSat, k0905, "y", "339"},
      {kSat, k0905, "yyy", "98339"},
      {kSat, k0905, "w", "7"},
      {{1998, 12, 6}, k0905, "w", "1"},
      {kSat, k0905, "aaaa", "土曜日"},
      {kSat, k0905, "oooo", "12月"},
      // Lone letters that begin no token are copied.
      {kSat, k0905, "a o t tt ooo", "a o t tt ooo"},
      // Week of the year, Sunday first, the week holding 1 January is week 1.
      {{2022, 1, 1}, k0905, "ww", "1"},
      {{2022, 1, 2}, k0905, "ww", "2"},
      {{2000, 12, 31}, k0905, "ww", "54"},
      // The system formats.
      {kSat, k0905, "ddddd", "1998/12/05"},
      {kSat, k0905, "dddddd", "1998年12月5日"},
      {kSat, k0905, "ttttt", "9:05:07"},
      {kSat, k0905, "c", "1998/12/05 9:05:07"},
      {kSat, {0, 0, 0}, "c", "1998/12/05"},
      {kZeroDate, k1505, "c", "15:05:07"},
      {kZeroDate, {0, 0, 0}, "c", "0:00:00"},
      {kSat, {23, 0, 0}, "ttttt AM/PM", "23:00:00 PM"},
      // "m" after an hour is the minute, until a minute or another code.
      {kSat, k0905, "h:mm", "9:05"},
      {kSat, k0905, "h\"x\"m", "9x5"},
      {kSat, k0905, "mm/dd", "12/05"},
      {kSat, k0905, "h:mm mm", "9:05 12"},
      {kSat, k0905, "h d m", "9 5 12"},
      {kSat, k0905, "d h m", "5 9 5"},
      {kSat, k0905, "h mmm mm", "9 Dec 05"},
      // Designators make the hour a 12-hour one, wherever they stand.
      {kSat, {0, 0, 0}, "h:nn AM/PM", "12:00 AM"},
      {kSat, {12, 0, 0}, "h:nn AM/PM", "12:00 PM"},
      {kSat, k1505, "A/P h", "P 3"},
      {kSat, {0, 30, 0}, "hh:nn AMPM", "12:30 AM"},
      {kSat, k1505, "Am/pM", "pM"},
      {kSat, k1505, "h \\AM/PM", "15 A5/P12"},
      {kSat, k1505, "AM/P", "A12/P"},
      // Literals and escapes.
      {kSat, k0905, "\\h\\h h", "hh 9"},
      {kSat, k0905, "\"abc", "abc"},
      {kSat, k0905, "h\\", "9"},
      {kSat, k0905, "\\\\", "\\"},
      {kSat, k0905, "\\日d", "日5"},
      {kSat, k0905, "d日 % ,[]", "5日 % ,[]"},
  });
}

TEST(Picture, ZeroDateAndMidnight) {
  EXPECT_EQ(formatTime(k0905, "yyyy/mm/dd ddd"), "1899/12/30 Sat");
  EXPECT_EQ(formatTime(k0905, "h:nn"), "9:05");
  EXPECT_EQ(formatDate(kSat, "h:nn:ss d"), "0:00:00 5");
}

// Both sides of the last two changes of era; the first day of each earlier one.
TEST(Picture, JapaneseEras) {
  expectAll({
      {{1989, 1, 7}, k0905, "ggge g gg ee", "昭和64 S 昭 64"},
      {{1989, 1, 8}, k0905, "ggge g gg ee", "平成1 H 平 01"},
      {{2019, 4, 30}, k0905, "ggge", "平成31"},
      {{2019, 5, 1}, k0905, "ggge g", "令和1 R"},
      {{1926, 12, 25}, k0905, "ggge", "昭和1"},
      {{1912, 7, 30}, k0905, "gggee", "大正01"},
      // Before Meiji: no era name, the plain year.
      {{1868, 1, 24}, k0905, "[ggg]e", "[]1868"},
  });
}

}  // namespace
}  // namespace kivo
