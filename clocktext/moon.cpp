// The moon age of a date by the short calendar formula, and its text glyph.
#include "clocktext/moon.h"

#include <cstdint>

namespace kivo {
namespace {

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

}  // namespace

int moonAge(const Date& date) {
  const std::int64_t year = date.year;
  // The formula's c is the year rounded to the 19-year lunar cycle
  // (c = 19 * ceil((year - 4) / 19) - 5), so year - c stays within -9..9
  // and no sum below comes near the 64-bit limits for any int fields.
  const std::int64_t k = floorDiv(-(year - 4), 19);
  const std::int64_t c = -k * 19 - 5;
  const std::int64_t s = (year - c) * 11 + date.month + date.day;
  const std::int64_t r = s % 30;  // C++ keeps the sign of the dividend
  return static_cast<int>(r < 0 ? r + 30 : r);
}

std::string_view moonGlyph(int age) {
  // The ranges as written share their end points; the earlier range wins.
  if (age < 0) return "";
  if (age <= 3) return "*-";
  if (age <= 6) return " )";
  if (age <= 10) return "|)";
  if (age <= 20) return "○";
  if (age <= 24) return "(|";
  if (age <= 27) return "( ";
  if (age <= 30) return "-*";
  return "??";
}

}  // namespace kivo
