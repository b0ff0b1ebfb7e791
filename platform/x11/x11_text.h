#pragma once
// Titles as X keeps them: the text of a property of type STRING (Latin-1),
// COMPOUND_TEXT or UTF8_STRING, to and from the program's UTF-8.

#include <xcb/xcb.h>

#include <string>
#include <string_view>

#include "platform/x11/x11_connection.h"

namespace kivo::x11 {

// The text of a property value of `type`, up to its first NUL (a property
// may hold several NUL-separated strings). STRING is Latin-1, COMPOUND_TEXT
// goes through Xlib's converter, UTF8_STRING and any other type are taken
// as UTF-8.
std::string decodeText(XConnection& x, xcb_atom_t type, std::string_view bytes);

// True when every character of the UTF-8 text is in Latin-1 (an invalid
// byte is not).
bool isLatin1(std::string_view utf8);

// WM_NAME's value for a title: STRING when the text is Latin-1, else
// COMPOUND_TEXT, or UTF8_STRING for the rare text compound text cannot
// hold without loss. The text is taken up to its first NUL.
struct EncodedText {
  xcb_atom_t type = XCB_ATOM_STRING;
  std::string bytes;
};
EncodedText encodeWmName(XConnection& x, std::string_view utf8);

}  // namespace kivo::x11
