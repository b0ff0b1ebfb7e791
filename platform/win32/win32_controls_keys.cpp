// Win32 toolkit: access keys that several controls of a form share, which
// move the focus between those controls instead of clicking the first.
#include <string>
#include <vector>

#include "platform/utf16.h"
#include "platform/win32/win32_toolkit.h"
#include "platform/win32/win32_toolkit_util.h"

namespace kivo::win32 {

namespace {

wchar_t upper(wchar_t c) {
  wchar_t text[2] = {c, L'\0'};
  CharUpperW(text);
  return text[0];
}

// The access key of a caption ("時報ぴかっと(&P)" has P), upper-cased; 0
// when it has none ("&&" is a plain ampersand).
wchar_t accessKey(const std::wstring& caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != L'&') continue;
    if (caption[i + 1] != L'&') return upper(caption[i + 1]);
    ++i;
  }
  return 0;
}

}  // namespace

bool Win32Toolkit::sharedAccessKey(FormWin& fw, const MSG& msg) {
  // Alt+key anywhere, or the bare key where the focus takes no typing.
  if (msg.message != WM_SYSCHAR && msg.message != WM_CHAR) return false;
  if (msg.message == WM_CHAR &&
      (SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)) &
       DLGC_WANTCHARS))
    return false;
  const wchar_t key = upper(static_cast<wchar_t>(msg.wParam));
  // The dialog manager clicks the first control with the key; the program's
  // users know a key taken twice (the two hourly boxes share P) as moving
  // between its controls instead, so that case is decided here.
  std::vector<ControlWin*> sharing;
  const HWND focus = GetFocus();
  std::size_t after = 0;
  for (ControlWin& cw : fw.controls) {
    if (cw.hwnd == focus) after = sharing.size();
    const ControlKind kind = cw.control->kind();
    if (kind == ControlKind::TextBox || kind == ControlKind::ListBox) continue;
    if (!IsWindowEnabled(cw.hwnd) || !IsWindowVisible(cw.hwnd)) continue;
    if (accessKey(text::toWide(cw.control->caption())) != key) continue;
    if (cw.hwnd == focus) after = sharing.size() + 1;
    sharing.push_back(&cw);
  }
  if (sharing.size() < 2) return false;
  ControlWin* next = sharing[after % sharing.size()];
  SendMessageW(fw.hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next->hwnd), TRUE);
  // A label or a frame hands the focus on to the control after it.
  const ControlKind kind = next->control->kind();
  if (kind == ControlKind::Label || kind == ControlKind::Frame)
    SendMessageW(fw.hwnd, WM_NEXTDLGCTL, 0, FALSE);
  return true;
}

}  // namespace kivo::win32
