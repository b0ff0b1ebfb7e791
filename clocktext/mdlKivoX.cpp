// The custom-format module: the clock renderer, the 12-hour hour and the
// custom template reader (the moon procedures are in moon.cpp).
#include "clocktext/mdlKivoX.h"

#include <string_view>

#include "clocktext/picture.h"
#include "platform/errors.h"
#include "platform/text.h"
#include "settings/convert.h"
#include "settings/layout.h"

namespace kivo {
namespace {

// Kept static so the per-tick path never builds the tag (it is one byte too
// long for the small-string buffer and would cost an allocation each tick).
const std::string& renderTag() {
  static const std::string tag = "FromXXFToShowClk";
  return tag;
}

// Does `code` hold "am" or "a/p" in any letter case? Decides whether an
// "a" code is a designator (time) or a weekday picture such as "aaa" (date).
bool holdsDesignator(std::string_view code) {
  using text::lowerAscii;
  for (std::size_t i = 0; i + 1 < code.size(); ++i) {
    if (lowerAscii(code[i]) != 'a') continue;
    if (lowerAscii(code[i + 1]) == 'm') return true;
    if (i + 2 < code.size() && code[i + 1] == '/' && lowerAscii(code[i + 2]) == 'p') return true;
  }
  return false;
}

// Appends the output of one code and moves the key to the seconds form
// where the dispatch calls for it. Codes go by their first character,
// compared exactly.
void renderCode(Platform& p, std::string_view code, const TimeOfDay& time, const Date& date,
                std::string& out, bool& secondsKey) {
  switch (code.front()) {
    case 'h':
    case 'n':
      out += formatTime(time, code);
      // Only a lowercase "s" counts: "h:nn:SS" keeps the minute key.
      if (code.find('s') != std::string_view::npos) secondsKey = true;
      break;
    case 's':
      out += formatTime(time, code);
      secondsKey = true;
      break;
    case 't':
      out += APTime(p, time, std::string(code));
      secondsKey = true;
      break;
    case 'A': out += formatTime(time, code); break;
    case 'a': out += holdsDesignator(code) ? formatTime(time, code) : formatDate(date, code); break;
    case 'o': out += std::to_string(MoonAge(p, date)); break;
    case 'r': out += MoonGraphic(p, MoonAge(p, date)); break;
    default: out += formatDate(date, code); break;
  }
}

}  // namespace

std::string GetXXF(Platform& p) {
  std::string result;
  Trap trap(p.toolkit, p.program, "GetXXF", &ReportXXError);
  trap([&] { result = readText(p.store, keys::XXFormat); });
  return result;
}

std::string FromXXFToShowClk(Platform& p, const std::string& clockTemplate, std::string& timeKey) {
  std::string result;
  TimeOfDay time;
  Date date;
  bool secondsKey = false;

  // Our trap: error 5 (the unclosed code) ends the rendering with "XXErr"
  // and no box; anything else is reported and the next step runs. Written
  // out here rather than with the Trap helper: this runs on every tick, and
  // the helper would build its tag string on each call, while error 5 has to
  // leave the whole scan instead of going on with the next step.
  auto step = [&](auto&& f) {
    try {
      f();
    } catch (const RuntimeError& e) {
      if (e.number() == kErrInvalidCall) throw;
      ReportXXError(p.toolkit, p.program, renderTag(), e);
    }
  };

  try {
    step([&] { time = p.clock.timeOfDay(); });
    step([&] { date = p.clock.date(); });
    step([&] { timeKey = formatTime(time, "h:n"); });

    // "%" and "\" are ASCII and never occur inside a multi-byte character,
    // so scanning bytes finds exactly the positions a character scan would.
    const std::string_view t = clockTemplate;
    const std::size_t n = t.size();
    // Short clocks fit the string's own small buffer, so reserving for them
    // would only add an allocation; a long template gets its room at once.
    if (n > 32) result.reserve(n + 16);
    bool inCode = false;
    for (std::size_t i = 0; i < n; ++i) {
      const char c = t[i];
      if (c == '%') {
        inCode = !inCode;
      } else if (inCode) {
        const std::size_t close = t.find('%', i);
        // A code opened and never closed: the invalid-argument error.
        if (close == std::string_view::npos) throw RuntimeError(kErrInvalidCall);
        const bool wasSeconds = secondsKey;
        step([&] { renderCode(p, t.substr(i, close - i), time, date, result, secondsKey); });
        if (secondsKey && !wasSeconds) step([&] { timeKey = formatTime(time, "h:n:s"); });
        i = close - 1;  // the closing "%" comes next and flips the flag back
      } else if (c == '\\') {
        if (i + 1 < n) {
          // The whole next character, however many bytes it takes.
          const std::size_t len = text::byteOffset(t.substr(i + 1), 1);
          result.append(t.substr(i + 1, len));
          i += len;
        }
      } else {
        // A run of plain text up to the next "%" or "\" goes in at once.
        std::size_t end = t.find_first_of("%\\", i + 1);
        if (end == std::string_view::npos) end = n;
        result.append(t.substr(i, end - i));
        i = end - 1;
      }
    }
  } catch (const RuntimeError&) {
    // Only error 5 gets here: the clock shows the marker, the key stays.
    return "XXErr";
  }
  return result;
}

std::string APTime(Platform& p, const TimeOfDay& time, const std::string& code) {
  // The first three characters ("tt ") only mark the code; no AM/PM marker
  // is ever written, and noon shows as hour 0.
  std::string hourText;
  std::string rest;
  Trap trap(p.toolkit, p.program, "APTime", &ReportXXError);
  const bool twoDigits = text::mid(code, 4, 2) == "hh";
  bool morning = false;
  trap([&] { morning = formatTime(time, "A/P") == "A"; });
  if (twoDigits) {
    if (morning) {
      trap([&] { hourText = formatTime(time, "hh"); });
    } else {
      trap([&] {
        hourText = std::to_string(toInt16(formatTime(time, "h")) - 12);
        if (text::length(hourText) == 1) hourText = "0" + hourText;
      });
    }
    trap([&] { rest = text::mid(code, 6); });
  } else {
    if (morning) {
      trap([&] { hourText = formatTime(time, "h"); });
    } else {
      trap([&] { hourText = std::to_string(toInt16(formatTime(time, "h")) - 12); });
    }
    trap([&] { rest = text::mid(code, 5); });
  }
  if (!rest.empty()) trap([&] { hourText += formatTime(time, rest); });
  return hourText;
}

}  // namespace kivo
