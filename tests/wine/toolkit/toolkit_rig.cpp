// The toolkit test's rig: the windows compared with the models, captions
// measured against their controls, and the pump.
#include "tests/wine/toolkit/toolkit_rig.h"

#include <algorithm>
#include <map>

#include "platform/utf16.h"
#include "platform/win32/win32_toolkit_util.h"

namespace kivo::win32::test {

namespace {

std::wstring textOf(HWND h) {
  std::wstring t(static_cast<std::size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
  t.resize(static_cast<std::size_t>(GetWindowTextW(h, t.data(), static_cast<int>(t.size()))));
  return t;
}

RECT expectedRect(const Control& c, int dpi) {
  int left = c.layout().left, top = c.layout().top;
  for (const Control* p = c.container(); p; p = p->container()) {
    left += p->layout().left, top += p->layout().top;
  }
  return RECT{twipsToPx(left, dpi), twipsToPx(top, dpi), twipsToPx(left + c.layout().width, dpi),
              twipsToPx(top + c.layout().height, dpi)};
}

// The designed box, or a larger one where the face's caption needs it: an
// edge may lie outside the design's, never inside it.
void misplaced(std::vector<std::string>& out, const Control& c, HWND h, int dpi) {
  RECT r;
  GetWindowRect(h, &r);
  MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&r), 2);
  const RECT want = expectedRect(c, dpi);
  const auto text = [](const RECT& x) {
    return std::to_string(x.left) + "," + std::to_string(x.top) + "-" + std::to_string(x.right) +
           "," + std::to_string(x.bottom);
  };
  if (r.left > want.left || r.top > want.top || r.right < want.right || r.bottom < want.bottom)
    out.push_back(c.id() + " misplaced: window " + text(r) + ", model " + text(want));
}

FontSpec fontOf(Win32Toolkit& tk, const Control& c, HWND h, int dpi) {
  LOGFONTW lf{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)), sizeof lf, &lf);
  FontSpec f = c.font();
  if (lf.lfFaceName != tk.resolvedFace(c.font())) f.face = text::fromWide(lf.lfFaceName);
  if (lf.lfHeight != -MulDiv(c.font().points, dpi, 72)) f.points = -MulDiv(lf.lfHeight, 72, dpi);
  f.bold = lf.lfWeight >= FW_BOLD;
  f.charset = lf.lfCharSet;
  return f;
}

sim::ControlView readControl(Win32Toolkit& tk, const Control& c, HWND h, int dpi) {
  sim::ControlView v = sim::buildView(c);  // the parts a kind's window lacks
  const ControlKind kind = c.kind();
  if (kind == ControlKind::TextBox) {
    v.text = text::fromWide(textOf(h));
    const int limit = static_cast<int>(SendMessageW(h, EM_GETLIMITTEXT, 0, 0));
    v.maxLength = limit >= 30000 ? 0 : limit;  // the edit control's default: none set
  } else if (kind == ControlKind::ListBox) {
    v.rows.clear();
    const int n = static_cast<int>(SendMessageW(h, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      std::wstring row(static_cast<std::size_t>(SendMessageW(h, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
      row.resize(static_cast<std::size_t>(
          SendMessageW(h, LB_GETTEXT, i, reinterpret_cast<LPARAM>(row.data()))));
      v.rows.push_back(text::fromWide(row));
    }
    v.selection = static_cast<int>(SendMessageW(h, LB_GETCURSEL, 0, 0));
  } else {
    v.caption = text::fromWide(textOf(h));
  }
  if (kind == ControlKind::CheckBox || kind == ControlKind::OptionButton)
    v.value = static_cast<int>(SendMessageW(h, BM_GETCHECK, 0, 0));
  v.enabled = IsWindowEnabled(h) != 0;
  v.visible = (GetWindowLongPtrW(h, GWL_STYLE) & WS_VISIBLE) != 0;
  v.font = fontOf(tk, c, h, dpi);
  return v;
}

}  // namespace

int screenDpi() {
  HDC dc = GetDC(nullptr);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
  ReleaseDC(nullptr, dc);
  return dpi;
}

std::optional<contract::NativeForm> readForm(Win32Toolkit& tk, const Form& form, int layoutDpi) {
  const HWND fh = tk.windowOf(form);
  if (!fh) return std::nullopt;
  const int screen = screenDpi();
  const int dpi = layoutDpi > 0 ? layoutDpi : screen;
  contract::NativeForm out;
  sim::FormView& f = out.form = sim::buildView(form);
  f.caption = text::fromWide(textOf(fh));
  f.visible = IsWindowVisible(fh) != 0;
  if (f.visible) {
    f.state = IsIconic(fh)   ? WindowState::Minimized
              : IsZoomed(fh) ? WindowState::Maximized
                             : WindowState::Normal;
  }
  if (!IsIconic(fh)) {
    RECT r;
    GetWindowRect(fh, &r);
    f.left = contract::inTwips(r.left, form.left(), twipsToPx(form.left(), screen), screen);
    f.top = contract::inTwips(r.top, form.top(), twipsToPx(form.top(), screen), screen);
    GetClientRect(fh, &r);
    f.width =
        contract::inTwips(r.right, form.clientWidth(), twipsToPx(form.clientWidth(), dpi), dpi) +
        form.width() - form.clientWidth();
    f.height =
        contract::inTwips(r.bottom, form.clientHeight(), twipsToPx(form.clientHeight(), dpi), dpi) +
        form.height() - form.clientHeight();
  }
  f.icon = SendMessageW(fh, WM_GETICON, ICON_BIG, 0) != 0 ? kProgramIcon : kNoIcon;

  std::map<HWND, const Control*> controls;
  for (const Control* c : form.tabOrder()) {
    const HWND h = tk.windowOf(*c);
    if (!h) continue;
    controls[h] = c;
    out.controls.emplace_back(c, readControl(tk, *c, h, dpi));
    misplaced(out.problems, *c, h, dpi);
    const LONG_PTR type = GetWindowLongPtrW(h, GWL_STYLE) & BS_TYPEMASK;
    if (c->kind() == ControlKind::CommandButton && type == BS_DEFPUSHBUTTON) out.defaultButton = c;
  }
  // The Z-order is the tab order.
  for (HWND child = GetWindow(fh, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (controls.count(child)) out.tabOrder.push_back(controls[child]);
  }
  return out;
}

std::vector<std::string> viewDifferences(Win32Toolkit& tk, const Form& form, int layoutDpi) {
  return contract::viewDifferences(form, readForm(tk, form, layoutDpi));
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
    // Waits for the next message (a timer's included), but looks again
    // soon: the condition may hold without any message of ours (another
    // thread's or the X server's doing).
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(left).count();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<long long>(ms, 10)),
                              QS_ALLINPUT);
  }
}

}  // namespace kivo::win32::test
