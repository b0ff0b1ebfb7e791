// The clock renderer: walks the template, copies its text and hands each
// code to the picture formatter, the 12-hour hour or the moon.
#include "clocktext/renderer.h"

#include <cstdint>

#include "clocktext/moon.h"
#include "clocktext/picture.h"
#include "platform/text.h"

namespace kivo {
namespace {

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

// The characters of `s` from the 0-based character `from` on, at most
// `count` of them.
std::string_view characters(std::string_view s, std::size_t from,
                            std::size_t count = std::string_view::npos) {
  const std::size_t start = text::byteOffset(s, from);
  if (start >= s.size()) return {};
  const std::string_view rest = s.substr(start);
  return count == std::string_view::npos ? rest : rest.substr(0, text::byteOffset(rest, count));
}

// A "t" code: "tt h..." or "tt hh...". The first three characters only mark
// the code; the hour is the 12-hour one without any AM/PM marker (noon
// shows as 0), and whatever follows the "h" or "hh" is a time picture.
void appendTwelveHour(std::string& out, std::string_view code, const TimeOfDay& time) {
  const bool twoDigits = characters(code, 3, 2) == "hh";
  if (time.hour < 12) {
    appendPicture(out, kZeroDate, time, twoDigits ? "hh" : "h");
  } else {
    const std::string hour = std::to_string(std::int64_t{time.hour} - 12);
    if (twoDigits && hour.size() == 1) out += '0';
    out += hour;
  }
  const std::string_view rest = characters(code, twoDigits ? 5 : 4);
  if (!rest.empty()) appendPicture(out, kZeroDate, time, rest);
}

// Appends the output of one code and says whether it shows seconds (what
// switches the key). Codes go by their first character, compared exactly.
bool appendCode(std::string& out, std::string_view code, const Date& date, const TimeOfDay& time) {
  const TimeOfDay midnight{};
  switch (code.front()) {
    case 'h':
    case 'n':
      appendPicture(out, kZeroDate, time, code);
      // Only a lowercase "s" counts: "h:nn:SS" keeps the minute key.
      return code.find('s') != std::string_view::npos;
    case 's': appendPicture(out, kZeroDate, time, code); return true;
    case 't': appendTwelveHour(out, code, time); return true;
    case 'A': appendPicture(out, kZeroDate, time, code); return false;
    case 'a':
      if (holdsDesignator(code)) {
        appendPicture(out, kZeroDate, time, code);
      } else {
        appendPicture(out, date, midnight, code);
      }
      return false;
    case 'o': out += std::to_string(moonAge(date)); return false;
    case 'r': out += moonGlyph(moonAge(date)); return false;
    default: appendPicture(out, date, midnight, code); return false;
  }
}

}  // namespace

std::string TimeKey::text() const {
  std::string s = std::to_string(hour) + ":" + std::to_string(minute);
  if (second != -1) s += ":" + std::to_string(second);
  return s;
}

RenderedClock renderClock(std::string_view clockTemplate, const Date& date, const TimeOfDay& time) {
  RenderedClock clock;
  clock.key = {time.hour, time.minute};
  std::string& out = clock.text;
  // "%" and "\" are ASCII and never occur inside a multi-byte character,
  // so scanning bytes finds exactly the positions a character scan would.
  const std::string_view t = clockTemplate;
  const std::size_t n = t.size();
  // Short clocks fit the string's own small buffer, so reserving for them
  // would only add an allocation; a long template gets its room at once.
  if (n > 32) out.reserve(n + 16);
  bool inCode = false;
  for (std::size_t i = 0; i < n; ++i) {
    const char c = t[i];
    if (c == '%') {
      inCode = !inCode;
    } else if (inCode) {
      const std::size_t close = t.find('%', i);
      if (close == std::string_view::npos) {
        // A code opened and never closed: the marker, with the key as it is.
        out = "XXErr";
        return clock;
      }
      if (appendCode(out, t.substr(i, close - i), date, time)) clock.key.second = time.second;
      i = close - 1;  // the closing "%" comes next and flips the flag back
    } else if (c == '\\') {
      if (i + 1 < n) {
        // The whole next character, however many bytes it takes.
        const std::size_t len = text::byteOffset(t.substr(i + 1), 1);
        out.append(t.substr(i + 1, len));
        i += len;
      }
    } else {
      // A run of plain text up to the next "%" or "\" goes in at once.
      std::size_t end = t.find_first_of("%\\", i + 1);
      if (end == std::string_view::npos) end = n;
      out.append(t.substr(i, end - i));
      i = end - 1;
    }
  }
  return clock;
}

}  // namespace kivo
