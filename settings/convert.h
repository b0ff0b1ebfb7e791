#pragma once
// Conversions of stored text, with the classic semantics. Every reader of the
// settings store converts through these and nothing else.
//
// Accepted: optional spaces or tabs around the number; an optional sign;
// decimal digits with an optional fraction ("2.5", ".5", "5.") and an optional
// exponent ("1E3", "2.5e-1"); "&H" hexadecimal and "&O" octal whole numbers
// (up to 4 hex digits they are 16-bit two's-complement values, so "&HFFFF" is
// -1; up to 8 digits, 32-bit). Not accepted: digit grouping ("1,000"),
// full-width digits, currency signs, anything after the number. The empty
// text is not a number.
//
// Whole-number conversions round a fraction half to even ("2.5" gives 2,
// "3.5" gives 4). Out of range raises error 6 (overflow); not a number
// raises error 13 (type mismatch).

#include <cstdint>
#include <optional>
#include <string_view>

namespace kivo {

// The number the text holds, or nothing.
std::optional<double> parseNumber(std::string_view text);

std::uint8_t toByte(std::string_view text);     // 0 to 255
std::int16_t toInt16(std::string_view text);    // -32768 to 32767
std::int32_t toInt32(std::string_view text);    // whole 32-bit
double toDouble(std::string_view text);
// The equals-1 test: the text converts to a number equal to 1.
bool equalsOne(std::string_view text);
// The numeric test: the whole text reads as a number. Never throws.
bool isNumeric(std::string_view text);

// Range checks with rounding for values already computed as numbers.
std::uint8_t roundToByte(double value);
std::int16_t roundToInt16(double value);

}  // namespace kivo
