// The moon age of a date by the short calendar formula, and its text glyph.
#include <cmath>
#include <cstdint>
#include <string>

#include "clocktext/mdlKivoX.h"
#include "clocktext/picture.h"
#include "platform/errors.h"
#include "settings/convert.h"

namespace kivo {
namespace {

// The age is worked out in signed 16-bit steps; a step leaving that range is
// the overflow error, as it would be in 16-bit integer arithmetic.
std::int16_t checked16(long value) {
  if (value < INT16_MIN || value > INT16_MAX) throw RuntimeError(kErrOverflow);
  return static_cast<std::int16_t>(value);
}

}  // namespace

std::int16_t MoonAge(Platform& p, const Date& date) {
  std::int16_t y = 0, k = 0, c = 0, s = 0, r = 0;
  float x = 0.0f;
  Trap trap(p.toolkit, p.program, "MoonAge", &ReportXXError);
  trap([&] { y = toInt16(formatDate(date, "yyyy")); });
  // Single precision, as the formula has always been computed; (y - 4) / 19
  // is whole or at least 1/19 away from whole, so the floor below is exact.
  trap([&] { x = 0.0f - static_cast<float>(checked16(long{y} - 4)) / 19.0f; });
  trap([&] { k = checked16(static_cast<long>(std::floor(x))); });
  trap([&] { c = checked16(long{checked16(checked16(0L - k) * 19L)} - 5); });
  trap([&] { s = checked16(long{checked16(long{y} - c)} * 11); });
  trap([&] {
    const std::int16_t month = toInt16(formatDate(date, "m"));
    const std::int16_t day = toInt16(formatDate(date, "d"));
    s = checked16(long{checked16(long{s} + month)} + day);
  });
  // C++ keeps the sign of the dividend, as the remainder here must.
  trap([&] { r = static_cast<std::int16_t>(s % 30); });
  if (r < 0) r = static_cast<std::int16_t>(r + 30);
  return r;
}

std::string MoonGraphic(Platform& p, std::int16_t age) {
  std::string glyph;
  Trap trap(p.toolkit, p.program, "MoonGraphic", &ReportXXError);
  // The written ranges share their end points; the earlier range wins.
  trap([&] {
    if (age >= 0 && age <= 3) {
      glyph = "*-";
    } else if (age > 3 && age <= 6) {
      glyph = " )";
    } else if (age > 6 && age <= 10) {
      glyph = "|)";
    } else if (age > 10 && age <= 20) {
      glyph = "○";
    } else if (age > 20 && age <= 24) {
      glyph = "(|";
    } else if (age > 24 && age <= 27) {
      glyph = "( ";
    } else if (age > 27 && age <= 30) {
      glyph = "-*";
    } else if (age > 30) {
      glyph = "??";
    }
  });
  return glyph;
}

}  // namespace kivo
