// The toolkit test's rig: the windows compared with the models, captions
// measured against their controls, and the pump.
#include "tests/wine/toolkit/toolkit_rig.h"

#include <algorithm>

#include "platform/utf16.h"
#include "platform/win32/win32_toolkit_util.h"

namespace kivo::win32::test {

namespace {

std::string narrow(const std::wstring& w) { return text::fromWide(w); }

std::wstring textOf(HWND h) {
  std::wstring t(static_cast<std::size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
  t.resize(static_cast<std::size_t>(GetWindowTextW(h, t.data(), static_cast<int>(t.size()))));
  return t;
}

int screenDpi() {
  HDC dc = GetDC(nullptr);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
  ReleaseDC(nullptr, dc);
  return dpi;
}

bool reachableEnabled(const Control& c) {
  for (const Control* p = &c; p; p = p->container()) {
    if (!p->enabled()) return false;
  }
  return true;
}

bool reachableVisible(const Control& c) {
  for (const Control* p = &c; p; p = p->container()) {
    if (!p->visible()) return false;
  }
  return true;
}

RECT expectedRect(const Control& c, int dpi) {
  int left = c.layout().left, top = c.layout().top;
  for (const Control* p = c.container(); p; p = p->container()) {
    left += p->layout().left, top += p->layout().top;
  }
  return RECT{twipsToPx(left, dpi), twipsToPx(top, dpi), twipsToPx(left + c.layout().width, dpi),
              twipsToPx(top + c.layout().height, dpi)};
}

template <class T>
void compare(std::vector<std::string>& out, const std::string& who, const char* part,
             const T& window, const T& model) {
  if (window == model) return;
  std::string w, m;
  if constexpr (std::is_same_v<T, std::string>) {
    w = "\"" + window + "\"", m = "\"" + model + "\"";
  } else {
    w = std::to_string(window), m = std::to_string(model);
  }
  out.push_back(who + " " + part + ": window " + w + ", model " + m);
}

void compareControl(std::vector<std::string>& out, Win32Toolkit& tk, const Control& c, HWND h,
                    int dpi) {
  const std::string who = c.form().name() + " " + c.id();
  const ControlKind kind = c.kind();
  if (kind == ControlKind::TextBox) {
    const auto& box = static_cast<const TextBox&>(c);
    compare(out, who, "text", narrow(textOf(h)), box.text());
    const int limit = static_cast<int>(SendMessageW(h, EM_GETLIMITTEXT, 0, 0));
    compare(out, who, "maxLength", box.maxLength() == 0 ? 0 : limit, box.maxLength());
  } else if (kind == ControlKind::ListBox) {
    const auto& list = static_cast<const ListBox&>(c);
    std::vector<std::string> rows;
    const int n = static_cast<int>(SendMessageW(h, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      std::wstring row(static_cast<std::size_t>(SendMessageW(h, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
      row.resize(static_cast<std::size_t>(
          SendMessageW(h, LB_GETTEXT, i, reinterpret_cast<LPARAM>(row.data()))));
      rows.push_back(narrow(row));
    }
    compare(out, who, "rows", static_cast<int>(rows.size()), list.listCount());
    if (rows == list.rows()) {
      compare(out, who, "selection", static_cast<int>(SendMessageW(h, LB_GETCURSEL, 0, 0)),
              list.listIndex());
    }
  } else {
    compare(out, who, "caption", narrow(textOf(h)), c.caption());
  }
  if (kind == ControlKind::CheckBox) {
    compare(out, who, "value", static_cast<int>(SendMessageW(h, BM_GETCHECK, 0, 0)),
            static_cast<const CheckBox&>(c).value());
  } else if (kind == ControlKind::OptionButton) {
    compare(out, who, "value", static_cast<int>(SendMessageW(h, BM_GETCHECK, 0, 0)),
            static_cast<const OptionButton&>(c).value() ? 1 : 0);
  }
  compare(out, who, "enabled", IsWindowEnabled(h) != 0, reachableEnabled(c));
  const bool shown = (GetWindowLongPtrW(h, GWL_STYLE) & WS_VISIBLE) != 0;
  compare(out, who, "visible", shown, reachableVisible(c));

  LOGFONTW lf{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), sizeof lf, &lf);
  compare(out, who, "font face", narrow(lf.lfFaceName), narrow(tk.resolvedFace(c.font())));
  compare(out, who, "font height", static_cast<int>(lf.lfHeight),
          -MulDiv(c.font().points, dpi, 72));
  compare(out, who, "font bold", lf.lfWeight >= FW_BOLD, c.font().bold);
  compare(out, who, "font charset", static_cast<int>(lf.lfCharSet), c.font().charset);

  RECT r;
  GetWindowRect(h, &r);
  MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
  const RECT want = expectedRect(c, dpi);
  // The designed box, or a larger one where the face's caption needs it:
  // an edge may lie outside the design's, never inside it.
  const auto outside = [](LONG window, LONG model, bool low) {
    return static_cast<int>(low ? std::max(window, model) : std::min(window, model));
  };
  compare(out, who, "left", outside(r.left, want.left, true), static_cast<int>(want.left));
  compare(out, who, "top", outside(r.top, want.top, true), static_cast<int>(want.top));
  compare(out, who, "right", outside(r.right, want.right, false), static_cast<int>(want.right));
  compare(out, who, "bottom", outside(r.bottom, want.bottom, false), static_cast<int>(want.bottom));
}

}  // namespace

std::vector<std::string> viewDifferences(Win32Toolkit& tk, const Form& form, int layoutDpi) {
  std::vector<std::string> out;
  const HWND fh = tk.windowOf(form);
  if (!fh) return {form.name() + ": no window"};
  const int screen = screenDpi();
  const int dpi = layoutDpi > 0 ? layoutDpi : screen;
  wchar_t cls[64] = {};
  GetClassNameW(fh, cls, 64);
  compare(out, form.name(), "class", narrow(cls), std::string(kFormWindowClass));
  compare(out, form.name(), "caption", narrow(textOf(fh)), form.caption());
  compare(out, form.name(), "visible", IsWindowVisible(fh) != 0, form.visible());
  if (IsWindowVisible(fh)) {
    const int state = IsIconic(fh) ? 1 : IsZoomed(fh) ? 2 : 0;
    compare(out, form.name(), "state", state, static_cast<int>(form.windowState()));
  }
  RECT r;
  GetWindowRect(fh, &r);
  if (!IsIconic(fh)) {
    compare(out, form.name(), "left", static_cast<int>(r.left), twipsToPx(form.left(), screen));
    compare(out, form.name(), "top", static_cast<int>(r.top), twipsToPx(form.top(), screen));
    GetClientRect(fh, &r);
    compare(out, form.name(), "client width", static_cast<int>(r.right),
            twipsToPx(form.clientWidth(), dpi));
    compare(out, form.name(), "client height", static_cast<int>(r.bottom),
            twipsToPx(form.clientHeight(), dpi));
  }
  const bool icon = SendMessageW(fh, WM_GETICON, ICON_BIG, 0) != 0;
  compare(out, form.name(), "icon", icon, form.icon() == kProgramIcon);

  // Z-order is the tab order.
  HWND child = GetWindow(fh, GW_CHILD);
  for (const Control* c : form.tabOrder()) {
    const HWND h = tk.windowOf(*c);
    if (!h) {
      out.push_back(form.name() + " " + c->id() + ": no window");
      continue;
    }
    if (child != h) out.push_back(form.name() + " " + c->id() + ": out of tab order");
    child = child ? GetWindow(child, GW_HWNDNEXT) : nullptr;
    compareControl(out, tk, *c, h, dpi);
    const LONG_PTR type = GetWindowLongPtrW(h, GWL_STYLE) & BS_TYPEMASK;
    if (c->kind() == ControlKind::CommandButton) {
      const bool def = static_cast<const CommandButton*>(c)->isDefault();
      compare(out, form.name() + " " + c->id(), "default", type == BS_DEFPUSHBUTTON, def);
    }
  }
  return out;
}

std::vector<std::string> clippedCaptions(Win32Toolkit& tk, const Form& form, int layoutDpi) {
  std::vector<std::string> out;
  const int dpi = layoutDpi > 0 ? layoutDpi : screenDpi();
  for (const Control* c : form.tabOrder()) {
    const ControlKind kind = c->kind();
    if (kind == ControlKind::TextBox || kind == ControlKind::ListBox || c->caption().empty())
      continue;
    const HWND h = tk.windowOf(*c);
    RECT client;
    GetClientRect(h, &client);
    // The room the control leaves its caption: a check box's box and gap,
    // a button's border and focus frame, a frame's inset at each end.
    int roomX = client.right, roomY = client.bottom;
    const int px = MulDiv(1, dpi, 96);
    if (kind == ControlKind::CheckBox || kind == ControlKind::OptionButton) roomX -= 17 * px;
    if (kind == ControlKind::CommandButton) roomX -= 6 * px, roomY -= 4 * px;
    if (kind == ControlKind::Frame) roomX -= 16 * px;
    HDC dc = GetDC(h);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
    const std::wstring caption = text::toWide(c->caption());
    RECT t{0, 0, kind == ControlKind::Label ? roomX : 0, 0};
    const UINT flags = DT_CALCRECT | (kind == ControlKind::Label ? DT_WORDBREAK : DT_SINGLELINE);
    DrawTextW(dc, caption.c_str(), -1, &t, flags);
    SelectObject(dc, old);
    ReleaseDC(h, dc);
    const bool clipped = t.right > roomX || (kind != ControlKind::Frame && t.bottom > roomY);
    if (clipped) {
      out.push_back(form.name() + " " + c->id() + " \"" + c->caption() + "\": text " +
                    std::to_string(t.right) + "x" + std::to_string(t.bottom) + " px, room " +
                    std::to_string(roomX) + "x" + std::to_string(roomY));
    }
  }
  return out;
}

bool pumpUntil(Win32Toolkit& tk, const std::function<bool()>& condition,
               std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  for (;;) {
    tk.doEvents();
    if (condition()) return true;
    const auto left = end - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) return false;
    // Waits for the next message (a timer's included), not for a time.
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(left).count();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(ms), QS_ALLINPUT);
  }
}

}  // namespace kivo::win32::test
