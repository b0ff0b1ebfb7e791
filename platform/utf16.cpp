// UTF-8 <-> UTF-16 conversion at the backend boundary.
#include "platform/utf16.h"

#include <cstdint>

namespace kivo::text {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

void appendUnits(std::u16string& out, std::uint32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

void appendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

std::u16string toUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    // The same sequence boundaries as the character count of text.h, so one
    // character there is one code point here.
    std::size_t n = 1;
    if (b >= 0xF0 && b <= 0xF4) n = 4;
    else if (b >= 0xE0 && b <= 0xEF) n = 3;
    else if (b >= 0xC2 && b <= 0xDF) n = 2;
    bool valid = n > 1 && i + n <= s.size();
    for (std::size_t k = 1; valid && k < n; ++k) {
      valid = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
    }
    if (b < 0x80) {
      out.push_back(static_cast<char16_t>(b));
      i += 1;
      continue;
    }
    if (!valid) {
      out.push_back(kReplacement);
      i += 1;
      continue;
    }
    std::uint32_t cp = b & (n == 2 ? 0x1F : n == 3 ? 0x0F : 0x07);
    for (std::size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    // An overlong form or a value beyond Unicode has no UTF-16 form.
    const std::uint32_t least = n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
    if (cp < least || cp > 0x10FFFF) cp = kReplacement;
    appendUnits(out, cp);
    i += n;
  }
  return out;
}

std::string fromUtf16(std::u16string_view u) {
  std::string out;
  out.reserve(u.size() * 3);
  for (std::size_t i = 0; i < u.size(); ++i) {
    const char16_t c = u[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < u.size() && u[i + 1] >= 0xDC00 && u[i + 1] <= 0xDFFF) {
      appendUtf8(out, 0x10000 + ((static_cast<std::uint32_t>(c) - 0xD800) << 10) + (u[i + 1] - 0xDC00));
      ++i;
    } else {
      appendUtf8(out, c);  // a lone surrogate keeps its three-byte form
    }
  }
  return out;
}

}  // namespace kivo::text
