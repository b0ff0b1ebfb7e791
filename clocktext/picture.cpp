// The picture formatter: dates and times formatted by a picture text in the
// date/time picture language of the classic Format function.
//
// The language, token by token. Letters match in either case (HH:MM:SS
// works), except that a designator prints in the letters written.
//   d dd          day of the month: 5 / 05
//   ddd dddd      English weekday name: Sat / Saturday
//   ddddd         short date yyyy/mm/dd (this program's Japanese default)
//   dddddd        long date yyyy年m月d日
//   w             weekday 1 (Sunday) to 7
//   ww            week of the year 1 to 54; the week holding 1 January is 1
//   m mm          month 1 / 01, or minutes when an hour token waits (below)
//   mmm mmmm      English month name: Dec / December; never minutes
//   q             quarter 1 to 4
//   y             day of the year 1 to 366
//   yy yyyy       year: 98 / 1998; yyy is yy then y, yyyyy is yyyy then y
//   h hh          hour 0 / 00 to 23; 1 / 01 to 12 when the picture holds a
//                 designator anywhere, so midnight and noon show 12
//   n nn, s ss    minutes, seconds: 5 / 05
//   ttttt         long time h:nn:ss, always 24-hour (it is the system's
//                 own format, untouched by the picture's designators)
//   c             ddddd ttttt; only the date at midnight, only the time on
//                 the zero date (so the zero date at midnight gives 0:00:00)
//   AM/PM am/pm A/P a/p   designator, the morning or afternoon half as
//                 written: "Am/pM" prints Am or pM; morning is 0:00 to 11:59
//   AMPM          designator AM or PM, whatever the letters' case
//   aaa aaaa      Japanese weekday: 土 / 土曜日
//   oooo          Japanese month: 12月
//   g gg ggg      Japanese era: H / 平 / 平成
//   e ee          year of the era: 1 / 01; before Meiji, which we start on
//                 1868-01-25, the era is empty and the year is the plain one
//   :  /          colon and slash, copied as they are
//   \x            x literally (a backslash at the end prints nothing)
//   "text"        text literally (an unclosed quote runs to the end)
// Anything else is copied, a lone a, o or t included. A run longer than
// its longest token splits from the left: ddddddd is dddddd then d.
//
// Minutes or month: an h or hh token makes the next m or mm minutes, with
// anything in between (h:mm, h"x"mm); only that first one, so in
// "h:mm mm/dd" the second mm is the month. A d token (d to dddddd) or a
// minute token n or nn in between uses the claim up: in "h d m" and in
// "h:nn mm" the m is the month. mmm and mmmm never touch it.
//
// One scan from left to right, with no allocation beyond the result; the
// renderer calls this several times per tick, appending to its clock text.
// A picture with an a or A is scanned once more beforehand to find a
// designator, since a designator after the hour still makes that hour
// 12-hour.
#include "clocktext/picture.h"

#include <array>
#include <cstdint>

#include "clocktext/picture_calendar.h"
#include "platform/text.h"

namespace kivo {
namespace {

// In families, in this order: the date tokens, the time tokens (General
// and Designator among them), the Japanese ones. appendToken relies on it.
// clang-format off
enum class Kind : std::uint8_t {
  Text,
  Day, Day2, WeekdayAbbr, WeekdayName, ShortDate, LongDate,
  WeekdayNumber, WeekOfYear,
  Month, Month2, MonthAbbr, MonthName, Quarter,
  DayOfYear, Year2, Year4,
  Hour, Hour2, Minute, Minute2, Second, Second2, LongTime, General, Designator,
  WeekdayJp, WeekdayJpFull, MonthJp,
  EraLetter, EraKanji, EraName, EraYear, EraYear2,
};
// clang-format on

struct Token {
  Kind kind = Kind::Text;
  std::string_view text{};  // Text: the bytes to copy; Designator: the morning half
  std::string_view pm{};    // Designator: the afternoon half
};

using text::lowerAscii;

// Bytes that may begin a token; a run of any others is copied in one go.
constexpr std::array<bool, 256> kTokenStart = [] {
  std::array<bool, 256> t{};
  for (char c : std::string_view("dwmnqyhstcaoge")) {
    t[static_cast<unsigned char>(c)] = true;
    t[static_cast<unsigned char>(c - 'a' + 'A')] = true;
  }
  t[static_cast<unsigned char>('\\')] = true;
  t[static_cast<unsigned char>('"')] = true;
  return t;
}();

class Scanner {
 public:
  explicit Scanner(std::string_view picture) : s_(picture) {}
  bool done() const { return i_ >= s_.size(); }
  Token next();

 private:
  // Length of the run of letter c (either case) at the position, at most max.
  std::size_t run(char c, std::size_t max) const {
    std::size_t n = 0;
    while (n < max && i_ + n < s_.size() && lowerAscii(s_[i_ + n]) == c) ++n;
    return n;
  }
  std::size_t take(char c, std::size_t max) {
    const std::size_t n = run(c, max);
    i_ += n;
    return n;
  }
  bool startsWith(std::string_view word) const {
    if (s_.size() - i_ < word.size()) return false;
    for (std::size_t k = 0; k < word.size(); ++k) {
      if (lowerAscii(s_[i_ + k]) != word[k]) return false;
    }
    return true;
  }
  Token designator(std::size_t length, std::size_t half) {
    const Token t{Kind::Designator, s_.substr(i_, half), s_.substr(i_ + half + 1, half)};
    i_ += length;
    return t;
  }
  // A token of exactly `length` bytes.
  Token fixed(Kind kind, std::size_t length) {
    i_ += length;
    return {kind};
  }
  Token day();
  Token month();
  Token year();
  Token letterA();
  Token escaped();
  Token quoted();
  Token literal();

  std::string_view s_;
  std::size_t i_ = 0;
  bool hourWaits_ = false;  // an hour token waits for its minutes
};

Token Scanner::next() {
  switch (lowerAscii(s_[i_])) {
    case 'd': return day();
    case 'w': return {take('w', 2) == 1 ? Kind::WeekdayNumber : Kind::WeekOfYear};
    case 'm': return month();
    case 'n': hourWaits_ = false; return {take('n', 2) == 1 ? Kind::Minute : Kind::Minute2};
    case 'q': return fixed(Kind::Quarter, 1);
    case 'y': return year();
    case 'h': hourWaits_ = true; return {take('h', 2) == 1 ? Kind::Hour : Kind::Hour2};
    case 's': return {take('s', 2) == 1 ? Kind::Second : Kind::Second2};
    case 't': return run('t', 5) == 5 ? fixed(Kind::LongTime, 5) : literal();
    case 'c': return fixed(Kind::General, 1);
    case 'a': return letterA();
    case 'o': return run('o', 4) == 4 ? fixed(Kind::MonthJp, 4) : literal();
    case 'g': {
      const std::size_t n = take('g', 3);
      return {n == 1 ? Kind::EraLetter : n == 2 ? Kind::EraKanji : Kind::EraName};
    }
    case 'e': return {take('e', 2) == 1 ? Kind::EraYear : Kind::EraYear2};
    case '\\': return escaped();
    case '"': return quoted();
    default: return literal();
  }
}

Token Scanner::day() {
  static constexpr Kind kDays[] = {Kind::Day,         Kind::Day2,      Kind::WeekdayAbbr,
                                   Kind::WeekdayName, Kind::ShortDate, Kind::LongDate};
  hourWaits_ = false;
  return {kDays[take('d', 6) - 1]};
}

Token Scanner::month() {
  const std::size_t n = take('m', 4);
  if (n >= 3) return {n == 3 ? Kind::MonthAbbr : Kind::MonthName};
  if (hourWaits_) {
    hourWaits_ = false;
    return {n == 1 ? Kind::Minute : Kind::Minute2};
  }
  return {n == 1 ? Kind::Month : Kind::Month2};
}

Token Scanner::year() {
  std::size_t n = run('y', 4);
  if (n == 3) n = 2;  // yyy: yy, then y starts the next token
  i_ += n;
  return {n == 1 ? Kind::DayOfYear : n == 2 ? Kind::Year2 : Kind::Year4};
}

// A designator, or the Japanese weekday; a lone a or aa is copied.
Token Scanner::letterA() {
  if (startsWith("am/pm")) return designator(5, 2);
  if (startsWith("ampm")) {
    i_ += 4;
    return {Kind::Designator, "AM", "PM"};
  }
  if (startsWith("a/p")) return designator(3, 1);
  const std::size_t n = run('a', 4);
  if (n >= 3) return fixed(n == 3 ? Kind::WeekdayJp : Kind::WeekdayJpFull, n);
  return literal();
}

Token Scanner::escaped() {
  // The whole escaped character, however many bytes it takes (none at the
  // end of the picture).
  const std::size_t at = i_;
  const std::size_t n = text::byteOffset(s_.substr(at + 1), 1);
  i_ = at + 1 + n;
  return {Kind::Text, s_.substr(at + 1, n)};
}

Token Scanner::quoted() {
  const std::size_t at = i_;
  const std::size_t close = s_.find('"', at + 1);
  const std::size_t end = close == std::string_view::npos ? s_.size() : close;
  i_ = close == std::string_view::npos ? s_.size() : close + 1;
  return {Kind::Text, s_.substr(at + 1, end - at - 1)};
}

Token Scanner::literal() {
  // This byte and all following ones that cannot begin a token.
  const std::size_t at = i_;
  std::size_t end = at + 1;
  while (end < s_.size() && !kTokenStart[static_cast<unsigned char>(s_[end])]) ++end;
  i_ = end;
  return {Kind::Text, s_.substr(at, end - at)};
}

bool hasDesignator(std::string_view picture) {
  if (picture.find_first_of("aA") == std::string_view::npos) return false;
  Scanner scan(picture);
  while (!scan.done()) {
    if (scan.next().kind == Kind::Designator) return true;
  }
  return false;
}

// Decimal, zero-padded to `width` digits, with a minus sign when negative.
void appendNumber(std::string& out, std::int64_t value, int width) {
  char digits[24];
  int n = 0;
  std::uint64_t u =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  do {
    digits[n++] = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u != 0);
  while (n < width) digits[n++] = '0';
  if (value < 0) out.push_back('-');
  while (n > 0) out.push_back(digits[--n]);
}

std::int64_t hourShown(int hour, bool twelveHour) {
  if (!twelveHour) return hour;
  const int h = ((hour % 12) + 12) % 12;
  return h == 0 ? 12 : h;
}

void appendShortDate(std::string& out, const Date& d) {
  appendNumber(out, d.year, 4);
  out.push_back('/');
  appendNumber(out, d.month, 2);
  out.push_back('/');
  appendNumber(out, d.day, 2);
}

void appendLongDate(std::string& out, const Date& d) {
  appendNumber(out, d.year, 4);
  out += "年";
  appendNumber(out, d.month, 1);
  out += "月";
  appendNumber(out, d.day, 1);
  out += "日";
}

void appendLongTime(std::string& out, const TimeOfDay& t) {
  appendNumber(out, t.hour, 1);
  out.push_back(':');
  appendNumber(out, t.minute, 2);
  out.push_back(':');
  appendNumber(out, t.second, 2);
}

void appendEraYear(std::string& out, const Date& d, int width) {
  const calendar::Era* era = calendar::eraOf(d);
  appendNumber(out, era ? calendar::eraYear(*era, d) : d.year, width);
}

void appendDateToken(std::string& out, Kind kind, const Date& date) {
  switch (kind) {
    case Kind::Day: appendNumber(out, date.day, 1); break;
    case Kind::Day2: appendNumber(out, date.day, 2); break;
    case Kind::WeekdayAbbr: out += calendar::weekdayAbbr(calendar::weekday(date)); break;
    case Kind::WeekdayName: out += calendar::weekdayName(calendar::weekday(date)); break;
    case Kind::ShortDate: appendShortDate(out, date); break;
    case Kind::LongDate: appendLongDate(out, date); break;
    case Kind::WeekdayNumber: appendNumber(out, calendar::weekday(date) + 1, 1); break;
    case Kind::WeekOfYear: appendNumber(out, calendar::weekOfYear(date), 1); break;
    case Kind::Month: appendNumber(out, date.month, 1); break;
    case Kind::Month2: appendNumber(out, date.month, 2); break;
    case Kind::MonthAbbr: out += calendar::monthAbbr(date.month); break;
    case Kind::MonthName: out += calendar::monthName(date.month); break;
    case Kind::Quarter: appendNumber(out, (calendar::clampMonth(date.month) - 1) / 3 + 1, 1); break;
    case Kind::DayOfYear: appendNumber(out, calendar::dayOfYear(date), 1); break;
    case Kind::Year2: appendNumber(out, ((date.year % 100) + 100) % 100, 2); break;
    case Kind::Year4: appendNumber(out, date.year, 4); break;
    default: break;
  }
}

void appendTimeToken(std::string& out, const Token& t, const Date& date, const TimeOfDay& time,
                     bool twelveHour) {
  switch (t.kind) {
    case Kind::Hour: appendNumber(out, hourShown(time.hour, twelveHour), 1); break;
    case Kind::Hour2: appendNumber(out, hourShown(time.hour, twelveHour), 2); break;
    case Kind::Minute: appendNumber(out, time.minute, 1); break;
    case Kind::Minute2: appendNumber(out, time.minute, 2); break;
    case Kind::Second: appendNumber(out, time.second, 1); break;
    case Kind::Second2: appendNumber(out, time.second, 2); break;
    case Kind::LongTime: appendLongTime(out, time); break;
    case Kind::General: {
      const bool zeroDate = date == kZeroDate;
      if (!zeroDate) appendShortDate(out, date);
      if (zeroDate || time != TimeOfDay{}) {
        if (!zeroDate) out.push_back(' ');
        appendLongTime(out, time);
      }
      break;
    }
    case Kind::Designator: out += time.hour < 12 ? t.text : t.pm; break;
    default: break;
  }
}

void appendJapaneseToken(std::string& out, Kind kind, const Date& date) {
  switch (kind) {
    case Kind::WeekdayJp: out += calendar::weekdayJapanese(calendar::weekday(date)); break;
    case Kind::WeekdayJpFull: out += calendar::weekdayJapaneseFull(calendar::weekday(date)); break;
    case Kind::MonthJp:
      appendNumber(out, date.month, 1);
      out += "月";
      break;
    case Kind::EraLetter:
    case Kind::EraKanji:
    case Kind::EraName:
      if (const calendar::Era* era = calendar::eraOf(date)) {
        out += kind == Kind::EraLetter  ? era->letter
               : kind == Kind::EraKanji ? era->kanji
                                        : era->name;
      }
      break;
    case Kind::EraYear: appendEraYear(out, date, 1); break;
    case Kind::EraYear2: appendEraYear(out, date, 2); break;
    default: break;
  }
}

void appendToken(std::string& out, const Token& t, const Date& date, const TimeOfDay& time,
                 bool twelveHour) {
  if (t.kind == Kind::Text) {
    out += t.text;
  } else if (t.kind < Kind::Hour) {
    appendDateToken(out, t.kind, date);
  } else if (t.kind < Kind::WeekdayJp) {
    appendTimeToken(out, t, date, time, twelveHour);
  } else {
    appendJapaneseToken(out, t.kind, date);
  }
}

}  // namespace

std::string formatPicture(const Date& date, const TimeOfDay& time, std::string_view picture) {
  std::string out;
  out.reserve(picture.size() + 16);
  appendPicture(out, date, time, picture);
  return out;
}

void appendPicture(std::string& out, const Date& date, const TimeOfDay& time,
                   std::string_view picture) {
  const bool twelveHour = hasDesignator(picture);
  Scanner scan(picture);
  while (!scan.done()) appendToken(out, scan.next(), date, time, twelveHour);
}

}  // namespace kivo
