// Conversions of stored text: byte, 16-bit integer, floating point, equals-1.
#include "settings/convert.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/errors.h"

namespace kivo {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

int digitValue(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9') v = c - '0';
  else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  return (v >= 0 && v < base) ? v : -1;
}

// "&H..." or "&O..." after the blanks are gone.
std::optional<double> parseRadix(std::string_view s) {
  if (s.size() < 3) return std::nullopt;
  const char kind = static_cast<char>(s[1] | 0x20);
  const int base = kind == 'h' ? 16 : kind == 'o' ? 8 : 0;
  if (base == 0) return std::nullopt;
  std::uint64_t value = 0;
  std::size_t digits = 0;
  for (char c : s.substr(2)) {
    const int d = digitValue(c, base);
    if (d < 0) return std::nullopt;
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
    if (value > 0xFFFFFFFFull) return std::nullopt;
    ++digits;
  }
  // Short literals are 16-bit values, longer ones 32-bit, as the classic
  // converter reads them.
  const bool narrow = base == 16 ? digits <= 4 : value <= 0xFFFF;
  if (narrow) return static_cast<double>(static_cast<std::int16_t>(static_cast<std::uint16_t>(value)));
  return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

std::optional<double> parseDecimal(std::string_view s) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t mantissaDigits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++mantissaDigits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++mantissaDigits;
  }
  if (mantissaDigits == 0) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    std::size_t expDigits = 0;
    while (j < s.size() && s[j] >= '0' && s[j] <= '9') ++j, ++expDigits;
    if (expDigits == 0) return std::nullopt;
    i = j;
  }
  if (i != s.size()) return std::nullopt;
  std::string copy(s);
  for (char& c : copy) {
    if (c == 'd' || c == 'D') c = 'e';
  }
  const double v = std::strtod(copy.c_str(), nullptr);
  if (!std::isfinite(v)) return std::nullopt;
  return v;
}

}  // namespace

std::optional<double> parseNumber(std::string_view text) {
  std::size_t a = 0, b = text.size();
  while (a < b && isBlank(text[a])) ++a;
  while (b > a && isBlank(text[b - 1])) --b;
  const std::string_view s = text.substr(a, b - a);
  if (s.empty()) return std::nullopt;
  if (s[0] == '&') return parseRadix(s);
  return parseDecimal(s);
}

double toDouble(std::string_view text) {
  const auto v = parseNumber(text);
  if (!v) throw RuntimeError(kErrTypeMismatch);
  return *v;
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
std::int32_t toInt32(std::string_view text) {
  return roundInto<std::int32_t>(toDouble(text), -2147483648.0, 2147483647.0);
}

bool equalsOne(std::string_view text) { return toDouble(text) == 1.0; }

bool isNumeric(std::string_view text) { return parseNumber(text).has_value(); }

}  // namespace kivo
