// Win32 toolkit: the fonts the forms model names, made with CreateFontW at
// the layout's density, falling back on faces this machine has.
#include <tuple>

#include "platform/utf16.h"
#include "platform/win32/win32_toolkit.h"

namespace kivo::win32 {

namespace {

int CALLBACK noteFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one is enough
}

int CALLBACK firstFace(const LOGFONTW* lf, const TEXTMETRICW*, DWORD, LPARAM out) {
  // "@" faces are the vertical-writing twins of CJK fonts.
  if (lf->lfFaceName[0] == L'@') return 1;
  *reinterpret_cast<std::wstring*>(out) = lf->lfFaceName;
  return 0;
}

LOGFONTW query(const std::wstring& face, int charset) {
  LOGFONTW lf{};
  lf.lfCharSet = static_cast<BYTE>(charset);
  face.copy(lf.lfFaceName, LF_FACESIZE - 1);
  return lf;
}

}  // namespace

bool Win32Toolkit::FontKey::operator<(const FontKey& o) const {
  return std::tie(font.face, font.points, font.bold, font.charset, dpi) <
         std::tie(o.font.face, o.font.points, o.font.bold, o.font.charset, o.dpi);
}

bool Win32Toolkit::faceInstalled(const std::wstring& face, int charset) {
  const auto key = std::make_pair(face, charset);
  if (const auto it = installed_.find(key); it != installed_.end()) return it->second;
  // Enumerated with the character set, a face is found only when it has
  // that set's glyphs: a Japanese caption never falls on a face that would
  // draw it as boxes.
  bool found = false;
  HDC dc = GetDC(nullptr);
  LOGFONTW lf = query(face, charset);
  EnumFontFamiliesExW(dc, &lf, &noteFace, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, dc);
  installed_[key] = found;
  return found;
}

std::wstring Win32Toolkit::resolvedFace(const FontSpec& font) {
  const std::wstring own = text::toWide(font.face);
  if (faceInstalled(own, font.charset)) return own;
  for (std::string_view fallback : kFontFallbacks) {
    const std::wstring face = text::toWide(fallback);
    if (faceInstalled(face, font.charset)) return face;
  }
  // None of the known faces: any face with the character set will do.
  std::wstring any;
  HDC dc = GetDC(nullptr);
  LOGFONTW lf = query(L"", font.charset);
  EnumFontFamiliesExW(dc, &lf, &firstFace, reinterpret_cast<LPARAM>(&any), 0);
  ReleaseDC(nullptr, dc);
  // Nothing at all: the system's own mapping is the last word.
  return any.empty() ? own : any;
}

HFONT Win32Toolkit::font(const FontSpec& wanted, int dpi) {
  const FontKey key{wanted, dpi};
  if (const auto it = fonts_.find(key); it != fonts_.end()) return it->second;
  LOGFONTW lf = query(resolvedFace(wanted), wanted.charset);
  // Negative: the character height (the em), as point sizes mean it.
  lf.lfHeight = -MulDiv(wanted.points, dpi, 72);
  lf.lfWeight = wanted.bold ? FW_BOLD : FW_NORMAL;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  HFONT f = CreateFontIndirectW(&lf);
  if (!f) f = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  fonts_[key] = f;
  return f;
}

}  // namespace kivo::win32
