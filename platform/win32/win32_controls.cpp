// Win32 toolkit: the forms' child controls (standard BUTTON, EDIT, STATIC
// and LISTBOX windows), their layout in twips, their change reports and the
// user's input on them (shared access keys: win32_controls_keys.cpp).
#include <algorithm>

#include "platform/utf16.h"
#include "platform/win32/win32_toolkit.h"
#include "platform/win32/win32_toolkit_util.h"

namespace kivo::win32 {

namespace {

// Control ids start above the dialog manager's IDOK and IDCANCEL.
constexpr int kFirstControlId = 100;

struct Pushing {
  explicit Pushing(int& n) : n(n) { ++n; }
  ~Pushing() { --n; }
  int& n;
};

struct NativeKind {
  const wchar_t* cls;
  DWORD style;
  DWORD ex;
};

NativeKind nativeKind(const Control& c) {
  // Check boxes and option buttons are not "auto": a click only notifies,
  // the model decides the value and its report sets the check.
  switch (c.kind()) {
    case ControlKind::Frame: return {L"BUTTON", BS_GROUPBOX, 0};
    case ControlKind::OptionButton: return {L"BUTTON", BS_RADIOBUTTON, 0};
    case ControlKind::CheckBox: return {L"BUTTON", BS_3STATE | WS_TABSTOP, 0};
    case ControlKind::CommandButton: {
      const bool def = static_cast<const CommandButton&>(c).isDefault();
      return {L"BUTTON", static_cast<DWORD>((def ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP),
              0};
    }
    case ControlKind::TextBox:
      return {L"EDIT", ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::Label: return {L"STATIC", SS_LEFT, 0};
    case ControlKind::ListBox:
      return {L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
              WS_EX_CLIENTEDGE};
    case ControlKind::Timer: break;
  }
  return {L"STATIC", 0, 0};
}

bool inside(const Control& c, const Control& frame) {
  for (const Control* p = &c; p; p = p->container()) {
    if (p == &frame) return true;
  }
  return false;
}

// The control's rectangle in twips on the form's client area: a control in
// a frame is placed relative to the frame.
RECT clientTwips(const Control& c) {
  int left = c.layout().left, top = c.layout().top;
  for (const Control* p = c.container(); p; p = p->container()) {
    left += p->layout().left;
    top += p->layout().top;
  }
  return RECT{left, top, left + c.layout().width, top + c.layout().height};
}

std::wstring windowText(HWND h) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(h, text.data(), static_cast<int>(text.size()))));
  return text;
}

WPARAM checkState(int value) {
  return value == 1 ? BST_CHECKED : value == 2 ? BST_INDETERMINATE : BST_UNCHECKED;
}

}  // namespace

void Win32Toolkit::createControls(FormWin& fw) {
  const std::vector<Control*> order = fw.form->tabOrder();
  HWND previous = HWND_TOP;
  const Control* last = nullptr;
  int id = kFirstControlId;
  for (Control* c : order) {
    NativeKind k = nativeKind(*c);
    // A run of option buttons in one container is one group for the arrow
    // keys; every other control starts a group of its own.
    const bool continuesGroup = c->kind() == ControlKind::OptionButton && last &&
                                last->kind() == ControlKind::OptionButton &&
                                last->container() == c->container();
    if (!continuesGroup) k.style |= WS_GROUP;
    std::wstring text;
    if (c->kind() == ControlKind::TextBox) {
      text = text::toWide(static_cast<const TextBox&>(*c).text());
    } else if (c->kind() != ControlKind::ListBox) {
      text = text::toWide(c->caption());
    }
    HWND h = CreateWindowExW(k.ex, k.cls, text.c_str(), WS_CHILD | k.style, 0, 0, 0, 0, fw.hwnd,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    if (!h) systemFailed("CreateWindowExW");
    // Z-order is the dialog manager's tab order: each after the one before.
    SetWindowPos(h, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    previous = h;
    last = c;
    fw.controls.push_back(ControlWin{c, h, id++});
  }
  layoutControls(fw);
  for (ControlWin& cw : fw.controls) {
    pushControl(fw, cw,
                kChangeValue | kChangeEnabled | kChangeVisible | kChangeRows | kChangeMaxLength);
  }
  if (CommandButton* def = fw.form->defaultButton()) {
    if (ControlWin* cw = controlWin(fw, *def)) SendMessageW(fw.hwnd, DM_SETDEFID, cw->id, 0);
  }
}

namespace {

// The designs were measured in one Japanese face; a fallback face with
// taller lines or wider letters would clip a caption in the designed box.
// Such a control grows (a label and a check box to the right and down, a
// button evenly about its centre) until its caption fits.
RECT grownToFit(const Control& c, HWND h, HFONT font, RECT r, int dpi) {
  const ControlKind kind = c.kind();
  if (kind == ControlKind::TextBox || kind == ControlKind::ListBox || kind == ControlKind::Frame ||
      c.caption().empty())
    return r;
  const int px = MulDiv(1, dpi, 96);
  int extraX = 0, extraY = 0;  // what the control takes besides its caption
  if (kind == ControlKind::CheckBox || kind == ControlKind::OptionButton) extraX = 17 * px;
  if (kind == ControlKind::CommandButton) extraX = 6 * px, extraY = 4 * px;
  const std::wstring caption = text::toWide(c.caption());
  const bool label = kind == ControlKind::Label;
  RECT t{0, 0, label ? r.right - r.left : 0, 0};
  HDC dc = GetDC(h);
  HGDIOBJ old = SelectObject(dc, font);
  DrawTextW(dc, caption.c_str(), -1, &t, DT_CALCRECT | (label ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, old);
  ReleaseDC(h, dc);
  const int growX = static_cast<int>(std::max<LONG>(0, t.right + extraX - (r.right - r.left)));
  const int growY = static_cast<int>(std::max<LONG>(0, t.bottom + extraY - (r.bottom - r.top)));
  if (kind == ControlKind::CommandButton) {
    r.left -= growX / 2, r.right += growX - growX / 2;
    r.top -= growY / 2, r.bottom += growY - growY / 2;
  } else if (kind == ControlKind::Label) {
    r.right += growX, r.bottom += growY;
  } else {
    r.right += growX;
    r.top -= growY / 2, r.bottom += growY - growY / 2;
  }
  return r;
}

}  // namespace

void Win32Toolkit::layoutControls(FormWin& fw) {
  for (ControlWin& cw : fw.controls) placeControl(fw, cw);
}

void Win32Toolkit::placeControl(FormWin& fw, ControlWin& cw) {
  const RECT t = clientTwips(*cw.control);
  const HFONT f = font(cw.control->font(), fw.dpi);
  const RECT r = grownToFit(*cw.control, cw.hwnd, f,
                            RECT{twipsToPx(t.left, fw.dpi), twipsToPx(t.top, fw.dpi),
                                 twipsToPx(t.right, fw.dpi), twipsToPx(t.bottom, fw.dpi)},
                            fw.dpi);
  SetWindowPos(cw.hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(cw.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
}

void Win32Toolkit::controlChanged(Control& control, std::uint32_t what) {
  FormWin* fw = formWin(control.form());
  if (!fw) return;
  ControlWin* cw = controlWin(*fw, control);
  if (!cw) return;
  Pushing pushing(pushing_);
  pushControl(*fw, *cw, what);
}

void Win32Toolkit::pushControl(FormWin& fw, ControlWin& cw, std::uint32_t what) {
  const Control& c = *cw.control;
  const ControlKind kind = c.kind();
  if ((what & kChangeCaption) && kind != ControlKind::TextBox && kind != ControlKind::ListBox) {
    const std::wstring caption = text::toWide(c.caption());
    SetWindowTextW(cw.hwnd, caption.c_str());
  }
  // A new caption or font may need more room than the design gave it.
  if (what & (kChangeCaption | kChangeFont)) placeControl(fw, cw);
  if (what & (kChangeEnabled | kChangeVisible)) pushEffectiveState(fw, c);
  if ((what & kChangeRows) && kind == ControlKind::ListBox) {
    SendMessageW(cw.hwnd, WM_SETREDRAW, FALSE, 0);
    SendMessageW(cw.hwnd, LB_RESETCONTENT, 0, 0);
    for (const std::string& row : static_cast<const ListBox&>(c).rows()) {
      const std::wstring wide = text::toWide(row);
      SendMessageW(cw.hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    }
    SendMessageW(cw.hwnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(cw.hwnd, nullptr, TRUE);
    // New rows lose the selection: the model's goes back.
    what |= kChangeValue;
  }
  if (what & kChangeValue) pushValue(cw);
  if ((what & kChangeMaxLength) && kind == ControlKind::TextBox) {
    // The edit control counts UTF-16 units: a limit of 2 takes two
    // characters of the Basic Multilingual Plane, which is what the
    // program's two-digit boxes hold.
    SendMessageW(cw.hwnd, EM_LIMITTEXT, static_cast<const TextBox&>(c).maxLength(), 0);
  }
}

void Win32Toolkit::pushValue(ControlWin& cw) {
  const Control& c = *cw.control;
  switch (c.kind()) {
    case ControlKind::CheckBox:
      SendMessageW(cw.hwnd, BM_SETCHECK, checkState(static_cast<const CheckBox&>(c).value()), 0);
      break;
    case ControlKind::OptionButton: {
      const bool on = static_cast<const OptionButton&>(c).value();
      SendMessageW(cw.hwnd, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
      if (FormWin* fw = formWin(c.form())) updateRadioTabStops(*fw, c.container());
      break;
    }
    case ControlKind::TextBox: {
      // Setting the text the box shows already would put the caret back to
      // the start while the user types.
      const std::wstring want = text::toWide(static_cast<const TextBox&>(c).text());
      if (windowText(cw.hwnd) != want) SetWindowTextW(cw.hwnd, want.c_str());
      break;
    }
    case ControlKind::ListBox:
      SendMessageW(cw.hwnd, LB_SETCURSEL,
                   static_cast<WPARAM>(static_cast<const ListBox&>(c).listIndex()), 0);
      break;
    default: break;
  }
}

void Win32Toolkit::pushEffectiveState(FormWin& fw, const Control& changed) {
  // A frame's state reaches everything inside it: a disabled or hidden
  // frame keeps its controls out of the user's reach, as the model says.
  for (ControlWin& cw : fw.controls) {
    if (!inside(*cw.control, changed)) continue;
    const bool enabled = cw.control->effectivelyEnabled();
    const bool visible = cw.control->effectivelyVisible();
    // The focus must not stay on a control the user can no longer reach.
    if ((!enabled || !visible) && GetFocus() == cw.hwnd)
      SendMessageW(fw.hwnd, WM_NEXTDLGCTL, 0, FALSE);
    EnableWindow(cw.hwnd, enabled);
    ShowWindow(cw.hwnd, visible ? SW_SHOWNA : SW_HIDE);
  }
}

void Win32Toolkit::updateRadioTabStops(FormWin& fw, const Control* container) {
  // Tab lands on the selected option of a group (the first when none is),
  // the arrows move within it.
  ControlWin* first = nullptr;
  ControlWin* selected = nullptr;
  for (ControlWin& cw : fw.controls) {
    if (cw.control->kind() != ControlKind::OptionButton || cw.control->container() != container)
      continue;
    if (!first) first = &cw;
    if (static_cast<const OptionButton&>(*cw.control).value()) selected = &cw;
  }
  ControlWin* stop = selected ? selected : first;
  for (ControlWin& cw : fw.controls) {
    if (cw.control->kind() != ControlKind::OptionButton || cw.control->container() != container)
      continue;
    LONG_PTR style = GetWindowLongPtrW(cw.hwnd, GWL_STYLE);
    style = &cw == stop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    SetWindowLongPtrW(cw.hwnd, GWL_STYLE, style);
  }
}

void Win32Toolkit::controlNotified(FormWin& fw, ControlWin& cw, int code) {
  Control& c = *cw.control;
  const HWND form = fw.hwnd, hwnd = cw.hwnd;
  switch (c.kind()) {
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
    case ControlKind::CommandButton:
      if (code == BN_CLICKED) c.userClick();
      return;
    case ControlKind::TextBox: {
      if (code != EN_CHANGE) return;
      auto& box = static_cast<TextBox&>(c);
      const bool taken = box.userType(text::fromWide(windowText(hwnd)));
      // Refused input goes back to what the model holds. The handler may
      // have unloaded the form: look it up again.
      FormWin* again = formWin(form);
      ControlWin* still = again ? controlWin(*again, c) : nullptr;
      if (!taken && still) {
        Pushing pushing(pushing_);
        pushValue(*still);
      }
      return;
    }
    case ControlKind::ListBox: {
      if (code != LBN_SELCHANGE) return;
      auto& list = static_cast<ListBox&>(c);
      const int row = static_cast<int>(SendMessageW(hwnd, LB_GETCURSEL, 0, 0));
      const bool taken = list.userSelect(row);
      FormWin* again = formWin(form);
      ControlWin* still = again ? controlWin(*again, c) : nullptr;
      if (!taken && still) {
        Pushing pushing(pushing_);
        pushValue(*still);
      }
      return;
    }
    default: return;
  }
}

Win32Toolkit::ControlWin* Win32Toolkit::controlWin(FormWin& fw, int id) {
  for (ControlWin& cw : fw.controls) {
    if (cw.id == id) return &cw;
  }
  return nullptr;
}

Win32Toolkit::ControlWin* Win32Toolkit::controlWin(FormWin& fw, const Control& control) {
  for (ControlWin& cw : fw.controls) {
    if (cw.control == &control) return &cw;
  }
  return nullptr;
}

HWND Win32Toolkit::windowOf(const Control& control) const {
  const FormWin* fw = formWin(control.form());
  if (!fw) return nullptr;
  for (const ControlWin& cw : fw->controls) {
    if (cw.control == &control) return cw.hwnd;
  }
  return nullptr;
}

}  // namespace kivo::win32
