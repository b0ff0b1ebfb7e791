// Tests of the clock renderer, the moon age and glyph, and the standard
// template with the display settings it is built from.
#include <gtest/gtest.h>

#include <climits>

#include "clocktext/moon.h"
#include "clocktext/picture.h"
#include "clocktext/renderer.h"
#include "clocktext/standard_template.h"
#include "platform/errors.h"
#include "platform/sim/sim_store.h"
#include "settings/clock_face.h"
#include "settings/layout.h"
#include "tests/unit/error_of.h"

namespace kivo {
namespace {

constexpr Date kSat1998{1998, 12, 5};  // a Saturday, moon age 15

// The examples of the template guide are real runs (the docs_examples test);
// these are the cases they leave out.
TEST(Renderer, TemplateLanguageAndTimeKey) {
  struct Case {
    const char* tmpl;
    TimeOfDay time;
    const char* text;
    const char* key;
  };
  const TimeOfDay t0905{9, 5, 7}, t1505{15, 5, 7};
  const Case cases[] = {
      {"", t0905, "", "9:5"},
      {"x\\", t0905, "x", "9:5"},
      {"\\日本", t0905, "日本", "9:5"},  // the whole character after "\"
      {"時刻 %h:nn%", t0905, "時刻 9:05", "9:5"},
      {"%n:ss%", t0905, "5:07", "9:5:7"},
      {"%tt h:nn%", {0, 30, 0}, "0:30", "0:30:0"},  // no seconds shown, the key switches
      {"%t%", t1505, "3", "15:5:7"},
      {"%AM/PM h:nn:ss%", t0905, "AM 9:05:07", "9:5"},  // "A" never switches
      {"%a/p:ss%", t1505, "p:07", "15:5"},
      {"%h yyyy%", t0905, "9 1899", "9:5"},  // a time code sees the zero date
      // An unclosed code drops everything rendered before; the key keeps what it became.
      {"%ss% %h", t0905, "XXErr", "9:5:7"},
  };
  for (const Case& c : cases) {
    const RenderedClock r = renderClock(c.tmpl, kSat1998, c.time);
    EXPECT_EQ(r.text, c.text) << c.tmpl;
    EXPECT_EQ(r.key.text(), c.key) << c.tmpl;
  }
}

TEST(Renderer, EveryFieldValueRendersWithoutFault) {
  // Every code kind: 12-hour hour, moon, date, era, general date and time.
  const char* every = "%tt hh:nn:ss%|%t%|%o%|%r%|%yyyy%/%m%/%d%|%ggg ee%|%c%|%ww y%|%aaa%";
  // The edges of what a clock gives, with the texts they have always had.
  EXPECT_EQ(renderClock(every, {1, 1, 1}, {0, 0, 0}).text,
            "00:00:00|0|8||)|0001/1/1| 01|0001/01/01|1 1|月");
  EXPECT_EQ(renderClock(every, {9999, 12, 31}, {23, 59, 59}).text,
            "11:59:59|11|4| )|9999/12/31|令和 7981|9999/12/31|53 365|金");
  // Values no clock gives still render: no throw, no crash, a key of the
  // moment, a moon age in range. (Every picture code under such values is
  // the picture formatter's fuzz target's.)
  const int wild[] = {INT_MIN, -40000, -1, 0, 13, 40000, INT_MAX};
  for (int v : wild) {
    const Date date{v, v, v};
    const TimeOfDay time{v, v, v};
    const RenderedClock r = renderClock(every, date, time);
    EXPECT_FALSE(r.text.empty()) << v;
    EXPECT_EQ(r.key, (TimeKey{v, v, v})) << v;
    const int age = moonAge({v, 1, 1});
    EXPECT_TRUE(age >= 0 && age <= 29) << v;
  }
}

TEST(Moon, AgeAndGlyphOfDates) {
  const std::pair<Date, int> ages[] = {
      {{1998, 1, 1}, 0},  {{1999, 1, 1}, 11},  {{2000, 12, 31}, 4},
      {{2023, 5, 20}, 0}, {{1996, 8, 14}, 28},
  };
  for (const auto& [date, age] : ages)
    EXPECT_EQ(moonAge(date), age) << date.year << "-" << date.month << "-" << date.day;
  // The glyph changes exactly at these ages (shared end points of the
  // written ranges belong to the earlier one).
  const std::pair<int, const char*> firstAges[] = {
      {-1, ""},   {0, "*-"},  {4, " )"},  {7, "|)"},  {11, "○"},
      {21, "(|"}, {25, "( "}, {28, "-*"}, {31, "??"},
  };
  std::size_t run = 0;
  for (int age = -1; age <= 32; ++age) {
    if (run + 1 < std::size(firstAges) && age == firstAges[run + 1].first) ++run;
    EXPECT_EQ(moonGlyph(age), firstAges[run].second) << age;
  }
}

TEST(StandardTemplate, BuiltFromTheDisplaySettings) {
  {
    sim::SimStore store;
    writeText(store, keys::Show24h, "0");
    for (const SettingKey* k :
         {&keys::ShowSecond, &keys::ShowYear, &keys::ShowDate, &keys::ShowDay})
      writeText(store, *k, "1");
    EXPECT_EQ(standardClockTemplate(readClockFace(store, 1)), "%tt h:nn:ss%,%yy%,%m%/%d%,%aaa%");
    EXPECT_EQ(standardClockTemplate(readClockFace(store, 2)), "%tt h:nn:ss%,%yy%");
  }
  {
    sim::SimStore store;  // "1.0" is on, any other number off
    writeText(store, keys::ShowYear, "1.0");
    writeText(store, keys::ShowDate, "2");
    writeText(store, keys::ShowDay, "1.0");
    EXPECT_EQ(standardClockTemplate(readClockFace(store, 0)), "%h:nn%,%yy%,%ddd%");
    EXPECT_EQ(standardClockTemplate(readClockFace(store, 2)), "%h:nn%,%yy%");
  }
}

TEST(StandardTemplate, ABadFlagRaisesAtTheFirstKeyRead) {
  sim::SimStore store;
  const auto errorOf = [&](std::uint8_t style) {
    return testing::errorOf([&] { (void)readClockFace(store, style); });
  };
  // ShowSecond is read before ShowYear: its type mismatch comes first.
  writeText(store, keys::ShowSecond, "yes");
  writeText(store, keys::ShowYear, "1E400");
  EXPECT_EQ(errorOf(0), kErrTypeMismatch);
  writeText(store, keys::ShowSecond, "0");
  EXPECT_EQ(errorOf(0), kErrOverflow);
  // With style 2 the date flags are never read, so a bad one does no harm.
  writeText(store, keys::ShowYear, "0");
  writeText(store, keys::ShowDay, "yes");
  EXPECT_EQ(errorOf(2), 0);
  EXPECT_EQ(errorOf(1), kErrTypeMismatch);
}

}  // namespace
}  // namespace kivo
