#pragma once
// The one text boundary between the core's UTF-8 and the UTF-16 of Windows
// (and of any other backend that speaks UTF-16).
//
// Both directions keep every character: text.h's characters map one to one
// onto code points, so a count in characters means the same on both sides.
// A lone surrogate, which Windows titles may hold, travels as its three-byte
// form (generalized UTF-8) and comes back as the same UTF-16 unit, so a title
// read and written back is never altered. Only a byte that starts no valid
// sequence in the UTF-8 text has no UTF-16 form; it becomes U+FFFD.

#include <string>
#include <string_view>

namespace kivo::text {

std::u16string toUtf16(std::string_view utf8);
std::string fromUtf16(std::u16string_view utf16);

#ifdef _WIN32
// Windows' wchar_t is a UTF-16 unit.
static_assert(sizeof(wchar_t) == sizeof(char16_t));
inline std::wstring toWide(std::string_view utf8) {
  const std::u16string u = toUtf16(utf8);
  return std::wstring(u.begin(), u.end());
}
inline std::string fromWide(std::wstring_view wide) {
  return fromUtf16(std::u16string(wide.begin(), wide.end()));
}
#endif

}  // namespace kivo::text
