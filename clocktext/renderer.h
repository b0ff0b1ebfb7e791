#pragma once
// The clock renderer: a clock template and a date and time of day in, the
// clock text and the time key out. Pure: it reads no clock and no store
// and shows nothing.
//
// The template language: text is copied; "\" copies the next character as
// it is (so "\%" is a percent sign); "%code%" is a code rendered by the
// picture formatter (clocktext/picture.h). A code that begins with h, n, s,
// A or with a designator (am/pm, a/p) is a time picture, formatted on the
// zero date; "t" is the 12-hour hour ("%tt h:nn%", "%tt hh:nn:ss%"); "o"
// and "r" are the moon age and glyph; any other code is a date picture,
// formatted at midnight. A code left open ("x%h") makes the whole text
// "XXErr".
//
// Meant for the values a clock gives: years 1 to 9999 and times from
// 0:00:00 to 23:59:59, where nothing can fail. Any other field values still
// render something, without fault and without undefined behaviour.

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace kivo {

// The time key of a rendering: hour and minute, plus the second when the
// template shows seconds. Two renderings in the same minute (or second)
// have equal keys.
struct TimeKey {
  int hour = 0;
  int minute = 0;
  int second = -1;  // -1: a minute key
  bool operator==(const TimeKey&) const = default;
  bool sameMinute(const TimeKey& other) const {
    return hour == other.hour && minute == other.minute;
  }
  // "h:n" or "h:n:s" without leading zeros, e.g. "9:5", "9:5:7".
  std::string text() const;
};

struct RenderedClock {
  std::string text;  // "XXErr" for a template with an unclosed code
  TimeKey key;
};

// Renders `clockTemplate` for the given date and time of day. The key
// switches to seconds at the first code that shows them: a lowercase "s" in
// an h, n or s code, or any "t" code. With an unclosed code the key keeps
// what it had become before it.
RenderedClock renderClock(std::string_view clockTemplate, const Date& date, const TimeOfDay& time);

}  // namespace kivo
