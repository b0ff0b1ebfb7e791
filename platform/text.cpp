// Character-counted text helpers over UTF-8.
#include "platform/text.h"

namespace kivo::text {
namespace {

// Length in bytes of the character starting at s[i]; 1 for a stray byte.
std::size_t charBytes(std::string_view s, std::size_t i) {
  const auto b = static_cast<unsigned char>(s[i]);
  std::size_t n = 1;
  if (b >= 0xF0 && b <= 0xF4) {
    n = 4;
  } else if (b >= 0xE0) {
    n = (b <= 0xEF) ? 3 : 1;
  } else if (b >= 0xC2) {
    n = 2;
  }
  if (n == 1 || i + n > s.size()) return 1;
  for (std::size_t k = 1; k < n; ++k) {
    if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
  }
  return n;
}

}  // namespace

std::size_t length(std::string_view s) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < s.size(); i += charBytes(s, i)) ++count;
  return count;
}

std::size_t byteOffset(std::string_view s, std::size_t chars) {
  std::size_t i = 0;
  while (chars > 0 && i < s.size()) {
    i += charBytes(s, i);
    --chars;
  }
  return i;
}

std::string left(std::string_view s, std::size_t n) { return std::string(s.substr(0, byteOffset(s, n))); }

std::string right(std::string_view s, std::size_t n) {
  const std::size_t len = length(s);
  if (n >= len) return std::string(s);
  return std::string(s.substr(byteOffset(s, len - n)));
}

std::string mid(std::string_view s, std::size_t start, std::size_t count) {
  if (start == 0) start = 1;
  const std::size_t from = byteOffset(s, start - 1);
  if (from >= s.size()) return {};
  const std::string_view rest = s.substr(from);
  if (count == std::string_view::npos) return std::string(rest);
  return std::string(rest.substr(0, byteOffset(rest, count)));
}

bool contains(std::string_view hay, std::string_view needle) {
  if (hay.empty()) return false;
  return needle.empty() || hay.find(needle) != std::string_view::npos;
}

bool endsWithNoCase(std::string_view s, std::string_view suffix) {
  if (suffix.size() > s.size()) return false;
  return lowerAscii(s.substr(s.size() - suffix.size())) == lowerAscii(suffix);
}

std::string_view cutAtNul(std::string_view s) {
  const std::size_t at = s.find('\0');
  return at == std::string_view::npos ? s : s.substr(0, at);
}

std::string trim(std::string_view s) {
  const std::size_t a = s.find_first_not_of(' ');
  if (a == std::string_view::npos) return {};
  const std::size_t b = s.find_last_not_of(' ');
  return std::string(s.substr(a, b - a + 1));
}

std::string lowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = lowerAscii(c);
  return out;
}

}  // namespace kivo::text
