// Tests of the clock renderer, the 12-hour hour, the moon age and glyph, the
// custom template reader and the standard template builder.
#include <gtest/gtest.h>

#include <optional>

#include "clocktext/mdlKivoX.h"
#include "clocktext/mdlKivo_template.h"
#include "clocktext/picture.h"
#include "platform/errors.h"
#include "platform/sim/sim_desktop.h"
#include "settings/layout.h"

namespace kivo {
namespace {

constexpr Date kSat1998{1998, 12, 5};  // a Saturday, moon age 15

struct Rendered {
  std::string text, key;
  std::size_t boxes;
};

Rendered render(sim::SimDesktop& d, const std::string& tmpl, const Date& date,
                const TimeOfDay& time) {
  d.clock.set(date, time);
  std::string key = "stale";
  std::string text = FromXXFToShowClk(d.platform, tmpl, key);
  return {text, key, d.toolkit.boxes().size()};
}

TEST(Renderer, TemplateLanguageAndTimeKey) {
  struct Case {
    const char* tmpl;
    TimeOfDay time;
    std::optional<std::string> text;  // nothing: only the key is checked
    const char* key;
  };
  const TimeOfDay t0905{9, 5, 7}, t1505{15, 5, 7};
  const Case cases[] = {
      {"", t0905, "", "9:5"},
      {"abc%", t0905, "abc", "9:5"},  // the open code is never entered
      {"a%%b", t0905, "ab", "9:5"},
      {"\\%", t0905, "%", "9:5"},
      {"x\\", t0905, "x", "9:5"},
      {"\\日本", t0905, "日本", "9:5"},  // the whole character after "\"
      {"時刻 %h:nn%", t0905, "時刻 9:05", "9:5"},
      {"%hh:nn%", t0905, "09:05", "9:5"},
      {"%n:ss%", t0905, "5:07", "9:5:7"},
      {"%ss%", t0905, "07", "9:5:7"},
      {"%h:nn:SS%", t0905, std::nullopt, "9:5"},  // only a lowercase "s" switches
      {"%tt h:nn%", t1505, "3:05", "15:5:7"},     // no seconds shown, key switches
      {"%tt h:nn%", {12, 0, 0}, "0:00", "12:0:0"},
      {"%tt h:nn%", {23, 59, 0}, "11:59", "23:59:0"},
      {"%tt h:nn%", {0, 30, 0}, "0:30", "0:30:0"},
      {"%tt hh:nn:ss%", t0905, "09:05:07", "9:5:7"},
      {"%tt hh:nn:ss%", t1505, "03:05:07", "15:5:7"},
      {"%t%", t1505, "3", "15:5:7"},
      {"%AM/PM h:nn:ss%", t0905, "AM 9:05:07", "9:5"},  // "A" never switches
      {"%am/pm%", t1505, "pm", "15:5"},
      {"%A/P%", t1505, "P", "15:5"},
      {"%a/p:ss%", t1505, "p:07", "15:5"},
      {"%aaa%", t0905, "土", "9:5"},
      {"%o%,%r%,%ooo%", t0905, "15,○,15", "9:5"},
      {"%yy%-%m%-%d%", t0905, "98-12-5", "9:5"},
  };
  for (const Case& c : cases) {
    sim::SimDesktop d;
    const Rendered r = render(d, c.tmpl, kSat1998, c.time);
    if (c.text) {
      EXPECT_EQ(r.text, *c.text) << c.tmpl;
    }
    EXPECT_EQ(r.key, c.key) << c.tmpl;
    EXPECT_EQ(r.boxes, 0u) << c.tmpl;
  }
}

TEST(Renderer, DispatchOnTheFirstCharacter) {
  sim::SimDesktop d;
  const TimeOfDay t{9, 5, 7};
  // An uppercase first letter other than "A" is a date code: the hour of
  // a date is midnight's.
  EXPECT_EQ(render(d, "%H%", kSat1998, t).text, formatDate(kSat1998, "H"));
  EXPECT_NE(formatDate(kSat1998, "H"), formatTime(t, "H"));
  EXPECT_EQ(render(d, "%mmm%|%ddd%", kSat1998, t).text,
            formatDate(kSat1998, "mmm") + "|" + formatDate(kSat1998, "ddd"));
  // A time-led code sees the zero date, not today's.
  EXPECT_EQ(render(d, "%h yyyy%", kSat1998, t).text, formatTime(t, "h yyyy"));
  EXPECT_EQ(d.toolkit.boxes().size(), 0u);
}

TEST(Renderer, UnclosedCodeGivesTheMarkerSilently) {
  sim::SimDesktop d;
  Rendered r = render(d, "x%h", kSat1998, {9, 5, 7});
  EXPECT_EQ(r.text, "XXErr");
  EXPECT_EQ(r.key, "9:5");
  // Everything rendered before is dropped; the key keeps what it became.
  r = render(d, "%ss% %h", kSat1998, {9, 5, 7});
  EXPECT_EQ(r.text, "XXErr");
  EXPECT_EQ(r.key, "9:5:7");
  EXPECT_EQ(d.toolkit.boxes().size(), 0u);
}

// A clock whose reads fail, or give values no real clock gives, to drive
// the traps of the renderer and of the procedures it calls.
class FailingClock : public Clock {
 public:
  int timeError = 0, dateError = 0;
  TimeOfDay time{9, 5, 7};
  Date day = kSat1998;
  TimeOfDay timeOfDay() override {
    if (timeError) throw RuntimeError(timeError);
    return time;
  }
  Date date() override {
    if (dateError) throw RuntimeError(dateError);
    return day;
  }
};

TEST(Renderer, OtherErrorsAreReportedAndRenderingGoesOn) {
  sim::SimDesktop d;
  FailingClock clock;
  Platform p{d.windows, d.sound, d.shell, d.fileDialog, d.toolkit, d.store, clock, d.program, d.journal};
  std::string key;
  clock.timeError = kErrOverflow;
  EXPECT_EQ(FromXXFToShowClk(p, "%h:nn% %d%", key), "0:00 5");
  EXPECT_EQ(key, "0:0");
  ASSERT_EQ(d.toolkit.boxes().size(), 1u);
  EXPECT_NE(d.toolkit.boxes()[0].text.find("エラー番号:6\r\n場所:FromXXFToShowClk- XXModule"),
            std::string::npos);
  clock.timeError = 0;
  clock.dateError = kErrInvalidCall;
  EXPECT_EQ(FromXXFToShowClk(p, "%h:nn%", key), "XXErr");
  EXPECT_EQ(key, "0:0");  // failed before the key was written
  EXPECT_EQ(d.toolkit.boxes().size(), 1u);
}

TEST(Renderer, CalledProceduresReportUnderTheirOwnTags) {
  // An hour and a year beyond 16 bits overflow inside APTime and MoonAge;
  // each reports under its own tag and goes on with its next step: the
  // 12-hour code keeps its minutes, the moon age is worked out from year 0.
  sim::SimDesktop d;
  FailingClock clock;
  clock.time = {40000, 5, 7};
  clock.day = {40000, 1, 1};
  Platform p{d.windows, d.sound, d.shell, d.fileDialog, d.toolkit, d.store, clock, d.program, d.journal};
  std::string key;
  EXPECT_EQ(FromXXFToShowClk(p, "%tt h:nn%|%o%", key), ":05|27");
  const auto& boxes = d.toolkit.boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_NE(boxes[0].text.find("エラー番号:6\r\n場所:APTime- XXModule"), std::string::npos);
  EXPECT_NE(boxes[1].text.find("エラー番号:6\r\n場所:MoonAge- XXModule"), std::string::npos);
}

TEST(ClockTemplate, BuiltFromTheDisplaySettings) {
  {
    sim::SimDesktop d;  // every setting at its default
    const std::string t = MakeClockTemplate(d.store, 0);
    EXPECT_EQ(t, "%h:nn%,%mmm%,%d%");
    EXPECT_EQ(render(d, t, {1998, 12, 5}, {9, 5, 0}).text, "9:05,Dec,5");
  }
  {
    sim::SimDesktop d;
    writeText(d.store, keys::Show24h, "0");
    for (const SettingKey* k :
         {&keys::ShowSecond, &keys::ShowYear, &keys::ShowDate, &keys::ShowDay})
      writeText(d.store, *k, "1");
    const std::string t = MakeClockTemplate(d.store, 1);
    const Rendered r = render(d, t, kSat1998, {15, 5, 7});
    EXPECT_EQ(r.text, "3:05:07,98,12/5,土");
    EXPECT_EQ(r.key, "15:5:7");
    EXPECT_EQ(MakeClockTemplate(d.store, 2), "%tt h:nn:ss%,%yy%");
  }
  {
    sim::SimDesktop d;  // "1.0" is on, any other number off
    writeText(d.store, keys::ShowYear, "1.0");
    writeText(d.store, keys::ShowDate, "2");
    writeText(d.store, keys::ShowDay, "1.0");
    EXPECT_EQ(MakeClockTemplate(d.store, 0), "%h:nn%,%yy%,%ddd%");
    EXPECT_EQ(MakeClockTemplate(d.store, 2), "%h:nn%,%yy%");
  }
  {
    // A flag that is no number is not caught here: the error goes to the
    // caller, and no box is shown by the builder itself.
    sim::SimDesktop d;
    writeText(d.store, keys::ShowSecond, "yes");
    try {
      (void)MakeClockTemplate(d.store, 0);
      ADD_FAILURE() << "no error";
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), kErrTypeMismatch);
    }
    EXPECT_EQ(d.toolkit.boxes().size(), 0u);
    // With style 2 the date flags are never read, so a bad one does no harm.
    writeText(d.store, keys::ShowSecond, "0");
    writeText(d.store, keys::ShowDay, "yes");
    EXPECT_EQ(MakeClockTemplate(d.store, 2), "%h:nn%");
  }
}

TEST(Moon, AgeAndGlyphOfDates) {
  struct Case {
    Date date;
    int age;
    const char* glyph;
  };
  const Case cases[] = {
      {{1998, 12, 5}, 15, "○"},  {{1998, 1, 1}, 0, "*-"},   {{1999, 1, 1}, 11, "○"},
      {{2000, 1, 1}, 23, "(|"},  {{2000, 12, 31}, 4, " )"}, {{2023, 5, 20}, 0, "*-"},
      {{1996, 8, 14}, 28, "-*"},
  };
  sim::SimDesktop d;
  for (const Case& c : cases) {
    const std::int16_t age = MoonAge(d.platform, c.date);
    EXPECT_EQ(age, c.age) << c.date.year << "-" << c.date.month << "-" << c.date.day;
    EXPECT_EQ(MoonGraphic(d.platform, age), c.glyph) << c.age;
  }
  // Shared end points belong to the earlier range.
  const std::pair<int, const char*> glyphs[] = {
      {0, "*-"},  {3, "*-"},  {4, " )"},  {6, " )"},  {7, "|)"},  {10, "|)"}, {11, "○"},  {20, "○"},
      {21, "(|"}, {24, "(|"}, {25, "( "}, {27, "( "}, {28, "-*"}, {30, "-*"}, {31, "??"}, {-1, ""},
  };
  for (const auto& [age, glyph] : glyphs)
    EXPECT_EQ(MoonGraphic(d.platform, static_cast<std::int16_t>(age)), glyph) << age;
  EXPECT_EQ(d.toolkit.boxes().size(), 0u);
}

TEST(CustomTemplate, ReadVerbatimOrEmpty) {
  sim::SimDesktop d;
  EXPECT_EQ(GetXXF(d.platform), "");
  writeText(d.store, keys::XXFormat, " %h:nn% \\%x%");
  EXPECT_EQ(GetXXF(d.platform), " %h:nn% \\%x%");
  EXPECT_EQ(d.toolkit.boxes().size(), 0u);
}

}  // namespace
}  // namespace kivo
