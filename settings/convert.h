#pragma once
// Conversions of stored text, with the classic semantics. Every reader of the
// settings store converts through these and nothing else.
//
// Accepted: optional spaces or tabs around the number; an optional sign;
// decimal digits with an optional fraction ("2.5", ".5", "5.") and an optional
// exponent ("1E3", "2.5e-1", or with D as in "1D3"); "&H" hexadecimal and
// "&O" octal whole numbers, read as 16-bit two's-complement values up to 4 hex
// digits or up to "&O177777" (so "&HFFFF" is -1), as 32-bit ones beyond.
// Not accepted: digit grouping ("1,000"), full-width digits, currency signs,
// anything after the number. The empty text is not a number. The decimal
// mark is always ".", whatever the process locale.
//
// Whole-number conversions round a fraction half to even ("2.5" gives 2,
// "3.5" gives 4). Out of range raises error 6 (overflow), a number beyond a
// double ("1E400") or a "&H" literal beyond 32 bits included; a number too
// small for a double reads as 0. Not a number raises error 13 (type mismatch).

#include <cstdint>
#include <string_view>

namespace kivo {

std::uint8_t toByte(std::string_view text);     // 0 to 255
std::int16_t toInt16(std::string_view text);    // -32768 to 32767
double toDouble(std::string_view text);
// The equals-1 test: the text converts to a number equal to 1.
bool equalsOne(std::string_view text);
// The numeric test: the whole text reads as a number within a double's
// range. Never throws.
bool isNumeric(std::string_view text);

// Range checks with rounding for values already computed as numbers.
std::uint8_t roundToByte(double value);
std::int16_t roundToInt16(double value);

}  // namespace kivo
