// Title text conversions between UTF-8 and STRING, COMPOUND_TEXT, UTF8_STRING.
#include "platform/x11/x11_text.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>

#include "platform/text.h"

namespace kivo::x11 {

namespace {

std::string latin1ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// Only called for text isLatin1() accepted.
std::string utf8ToLatin1(std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80 || i + 1 >= utf8.size()) {
      out += static_cast<char>(c);
    } else {
      out +=
          static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F));
      ++i;
    }
  }
  return out;
}

}  // namespace

bool isLatin1(std::string_view utf8) {
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) continue;
    // U+0080..U+00FF are C2 xx and C3 xx.
    if ((c != 0xC2 && c != 0xC3) || i + 1 >= utf8.size()) return false;
    const auto next = static_cast<unsigned char>(utf8[i + 1]);
    if ((next & 0xC0) != 0x80) return false;
    ++i;
  }
  return true;
}

std::string decodeText(XConnection& x, xcb_atom_t type, std::string_view bytes) {
  bytes = text::cutAtNul(bytes);
  if (type == XCB_ATOM_STRING) return latin1ToUtf8(bytes);
  if (type != x.atoms().COMPOUND_TEXT || bytes.empty()) return std::string(bytes);

  std::string value(bytes);
  XTextProperty property{};
  property.value = reinterpret_cast<unsigned char*>(value.data());
  property.encoding = type;
  property.format = 8;
  property.nitems = value.size();
  char** list = nullptr;
  int count = 0;
  // A negative result is a failure; a positive one counts characters that
  // had no equivalent and came back as a default character.
  const int result = Xutf8TextPropertyToTextList(x.display(), &property, &list, &count);
  std::string out;
  if (result >= 0 && list != nullptr && count > 0 && list[0] != nullptr) out = list[0];
  if (list != nullptr) XFreeStringList(list);
  return out;
}

EncodedText encodeWmName(XConnection& x, std::string_view utf8) {
  utf8 = text::cutAtNul(utf8);
  if (isLatin1(utf8)) return {XCB_ATOM_STRING, utf8ToLatin1(utf8)};

  std::string value(utf8);
  char* list[1] = {value.data()};
  XTextProperty property{};
  EncodedText out{x.atoms().COMPOUND_TEXT, {}};
  const int result =
      Xutf8TextListToTextProperty(x.display(), list, 1, XCompoundTextStyle, &property);
  if (result == Success && property.value != nullptr) {
    out.bytes.assign(reinterpret_cast<const char*>(property.value), property.nitems);
    if (property.encoding != 0) out.type = static_cast<xcb_atom_t>(property.encoding);
  } else {
    // Compound text cannot hold it (a positive result counts characters it
    // would replace) or the converter failed: the title goes as UTF-8,
    // which window managers read as well, rather than lose characters.
    out = {x.atoms().UTF8_STRING, std::string(utf8)};
  }
  if (property.value != nullptr) XFree(property.value);
  return out;
}

}  // namespace kivo::x11
