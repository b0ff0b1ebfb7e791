#pragma once
// Text helpers. Core text is UTF-8; every length and position the program
// counts is in characters (code points) and goes through these helpers.
// A byte that does not start a valid sequence counts as one character.

#include <cstddef>
#include <string>
#include <string_view>

namespace kivo::text {

// Number of characters.
std::size_t length(std::string_view s);
// Byte offset of character index `chars` (0-based), clamped to s.size().
std::size_t byteOffset(std::string_view s, std::size_t chars);
// The first n characters (all of s when shorter).
std::string left(std::string_view s, std::size_t n);
// The last n characters.
std::string right(std::string_view s, std::size_t n);
// From 1-based character position `start`, `count` characters (npos: to the
// end). A start beyond the end gives empty text. start must be >= 1.
std::string mid(std::string_view s, std::size_t start, std::size_t count = std::string_view::npos);
// The containment test: exact, case-sensitive; an empty text is contained in
// every non-empty text, and nothing is contained in the empty text.
bool contains(std::string_view hay, std::string_view needle);
// Case-insensitive (ASCII letters) test of the end of s.
bool endsWithNoCase(std::string_view s, std::string_view suffix);
// Text cut before its first NUL character.
std::string_view cutAtNul(std::string_view s);
// Leading and trailing spaces removed (the classic Trim: spaces only).
std::string trim(std::string_view s);
// ASCII lower case.
std::string lowerAscii(std::string_view s);
constexpr char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace kivo::text
