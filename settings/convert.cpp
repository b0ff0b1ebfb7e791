// Conversions of stored text: byte, 16-bit integer, floating point, equals-1.
#include "settings/convert.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

#include "platform/errors.h"

namespace kivo {
namespace {

// What a text holds: a number, a number too large for its type, or no
// number at all. The first gives the value; the second is error 6 for the
// converters and "not numeric" for the numeric test.
enum class Reading { Number, Overflow, NotNumber };

struct Parsed {
  Reading reading = Reading::NotNumber;
  double value = 0.0;
};

constexpr Parsed kNotNumber{};
constexpr Parsed kOverflow{Reading::Overflow, 0.0};

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int digitValue(char c, int base) {
  int v = -1;
  if (isDigit(c)) v = c - '0';
  else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  return (v >= 0 && v < base) ? v : -1;
}

// "&H..." or "&O..." after the blanks are gone.
Parsed parseRadix(std::string_view s) {
  if (s.size() < 3) return kNotNumber;
  const char kind = static_cast<char>(s[1] | 0x20);
  const int base = kind == 'h' ? 16 : kind == 'o' ? 8 : 0;
  if (base == 0) return kNotNumber;
  std::uint64_t value = 0;
  std::size_t digits = 0;
  bool tooLarge = false;
  for (char c : s.substr(2)) {
    const int d = digitValue(c, base);
    if (d < 0) return kNotNumber;
    // Keep checking the remaining digits: a stray letter after a long
    // number still makes the text no number at all.
    if (!tooLarge) value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
    tooLarge = tooLarge || value > 0xFFFFFFFFull;
    ++digits;
  }
  if (tooLarge) return kOverflow;
  // Short literals are 16-bit values, longer ones 32-bit, as the classic
  // converter reads them.
  const bool narrow = base == 16 ? digits <= 4 : value <= 0xFFFF;
  if (narrow) return {Reading::Number, static_cast<double>(static_cast<std::int16_t>(static_cast<std::uint16_t>(value)))};
  return {Reading::Number, static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)))};
}

// Sign, digits with an optional point, an optional E or D exponent. Read
// with from_chars, never strtod: strtod follows the process locale, and a
// toolkit that sets a locale whose decimal mark is a comma would make it stop
// at the point ("3.5" read as 3).
Parsed parseDecimal(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  const std::size_t numberStart = s[0] == '+' ? 1 : 0;  // from_chars takes no "+"
  // The power of ten of the first significant digit, to tell a number too
  // large for a double from one too small (which reads as zero).
  long leadPower = 0;
  bool significant = false;
  std::size_t mantissaDigits = 0;
  long placeAfterPoint = 0;
  bool afterPoint = false;
  for (; i < s.size(); ++i) {
    if (s[i] == '.' && !afterPoint) {
      afterPoint = true;
      continue;
    }
    if (!isDigit(s[i])) break;
    ++mantissaDigits;
    if (afterPoint) ++placeAfterPoint;
    if (!significant && s[i] != '0') {
      significant = true;
      leadPower = afterPoint ? -placeAfterPoint : 0;
    } else if (significant && !afterPoint) {
      ++leadPower;
    }
  }
  if (mantissaDigits == 0) return kNotNumber;
  long exponent = 0;
  bool dExponent = false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    dExponent = s[i] == 'd' || s[i] == 'D';
    std::size_t j = i + 1;
    bool negative = false;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) negative = s[j++] == '-';
    std::size_t expDigits = 0;
    for (; j < s.size() && isDigit(s[j]); ++j, ++expDigits) {
      if (exponent < 100000) exponent = exponent * 10 + (s[j] - '0');  // far beyond any double
    }
    if (expDigits == 0) return kNotNumber;
    if (negative) exponent = -exponent;
    i = j;
  }
  if (i != s.size()) return kNotNumber;

  std::string_view number = s.substr(numberStart);
  std::string withE;
  if (dExponent) {  // from_chars knows only E
    withE = number;
    for (char& c : withE) {
      if (c == 'd' || c == 'D') c = 'e';
    }
    number = withE;
  }
  double v = 0.0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), v);
  if (ec == std::errc::result_out_of_range) {
    if (leadPower + exponent >= 0) return kOverflow;
    return {Reading::Number, s[0] == '-' ? -0.0 : 0.0};  // too small: zero
  }
  if (ec != std::errc{} || end != number.data() + number.size() || !std::isfinite(v)) return kNotNumber;
  return {Reading::Number, v};
}

Parsed parse(std::string_view text) {
  std::size_t a = 0, b = text.size();
  while (a < b && isBlank(text[a])) ++a;
  while (b > a && isBlank(text[b - 1])) --b;
  const std::string_view s = text.substr(a, b - a);
  if (s.empty()) return kNotNumber;
  if (s[0] == '&') return parseRadix(s);
  return parseDecimal(s);
}

}  // namespace

double toDouble(std::string_view text) {
  const Parsed p = parse(text);
  if (p.reading == Reading::Overflow) throw RuntimeError(kErrOverflow);
  if (p.reading == Reading::NotNumber) throw RuntimeError(kErrTypeMismatch);
  return p.value;
}

namespace {
double roundHalfEven(double v) { return std::nearbyint(v); }  // default mode: to nearest even
template <class T>
T roundInto(double value, double lo, double hi) {
  const double r = roundHalfEven(value);
  if (!(r >= lo && r <= hi)) throw RuntimeError(kErrOverflow);
  return static_cast<T>(r);
}
}  // namespace

std::uint8_t roundToByte(double value) { return roundInto<std::uint8_t>(value, 0, 255); }
std::int16_t roundToInt16(double value) { return roundInto<std::int16_t>(value, -32768, 32767); }

std::uint8_t toByte(std::string_view text) { return roundToByte(toDouble(text)); }
std::int16_t toInt16(std::string_view text) { return roundToInt16(toDouble(text)); }

bool equalsOne(std::string_view text) { return toDouble(text) == 1.0; }

bool isNumeric(std::string_view text) { return parse(text).reading == Reading::Number; }

}  // namespace kivo
