// Win32 toolkit: the forms' top-level windows of class kFormWindowClass,
// their change reports and what the system does to them.
#include <utility>

#include "platform/utf16.h"
#include "platform/win32/handle.h"
#include "platform/win32/win32_toolkit.h"
#include "platform/win32/win32_toolkit_util.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace kivo::win32 {

namespace {

// Notifications of the windows are pushes while this lives.
struct Pushing {
  explicit Pushing(int& n) : n(n) { ++n; }
  ~Pushing() { --n; }
  int& n;
};

DWORD formStyle(const Form& form) {
  // Fixed size: no sizing border and no maximize box. The main window can
  // be minimized from its caption bar; the dialogs cannot.
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS;
  if (form.borderStyle() == BorderStyle::FixedSingle) style |= WS_MINIMIZEBOX;
  return style;
}

DWORD formExStyle(const Form& form) {
  // A window without an icon gets the dialog frame, which shows none.
  DWORD ex = WS_EX_CONTROLPARENT;
  if (form.icon() == kNoIcon) ex |= WS_EX_DLGMODALFRAME;
  return ex;
}

WindowState nativeState(HWND hwnd) {
  if (IsIconic(hwnd)) return WindowState::Minimized;
  if (IsZoomed(hwnd)) return WindowState::Maximized;
  return WindowState::Normal;
}

}  // namespace

void Win32Toolkit::registerFormClass() {
  const std::wstring name = text::toWide(kFormWindowClass);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = &Win32Toolkit::formWindowProc;
  // A private dialog class: the dialog manager's own procedure does the
  // keyboard (default button, focus kept across activation), DefDlgProc
  // needs its extra bytes.
  wc.cbWndExtra = DLGWINDOWEXTRA;
  wc.hInstance = instance_;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name.c_str();
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    systemFailed("RegisterClassExW");
}

// ---- Views -------------------------------------------------------------------

void Win32Toolkit::attachForm(Form& form) {
  const int dpi = screenDpiX();
  const DWORD style = formStyle(form), ex = formExStyle(form);
  RECT r{0, 0, twipsToPx(form.clientWidth(), dpi), twipsToPx(form.clientHeight(), dpi)};
  AdjustWindowRectEx(&r, style, FALSE, ex);
  const int w = r.right - r.left, h = r.bottom - r.top;
  // A new window opens in the middle of the work area, as a centred dialog
  // does; the model learns the place as a move the system made.
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int x = work.left + (work.right - work.left - w) / 2;
  const int y = work.top + (work.bottom - work.top - h) / 2;

  Pushing pushing(pushing_);
  const std::wstring cls = text::toWide(kFormWindowClass), caption = text::toWide(form.caption());
  HWND hwnd = CreateWindowExW(ex, cls.c_str(), caption.c_str(), style, x, y, w, h, nullptr, nullptr,
                              instance_, this);
  if (!hwnd) systemFailed("CreateWindowExW");
  auto owned = std::make_unique<FormWin>(FormWin{&form, hwnd, dpi, {}});
  FormWin& fw = *owned;
  forms_[hwnd] = std::move(owned);
  try {
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font(form.font(), dpi)), FALSE);
    setFormIcon(fw);
    createControls(fw);
  } catch (...) {
    // The form does not load: no half-made window may stay behind.
    forms_.erase(hwnd);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
    throw;
  }
  form.setHwnd(fromHwnd(hwnd));
  const int ydpi = screenDpiY();
  form.nativeMoved(pxToTwips(x, dpi), pxToTwips(y, ydpi));
}

void Win32Toolkit::detachForm(Form& form) {
  FormWin* fw = formWin(form);
  if (!fw) return;
  const HWND hwnd = fw->hwnd;
  for (auto it = timers_.begin(); it != timers_.end();) {
    if (&it->second->form() == &form) {
      KillTimer(messageWindow_, it->first);
      it = timers_.erase(it);
    } else {
      ++it;
    }
  }
  // A dialog's owner is enabled before the dialog goes, so the system hands
  // the activation back to it rather than to some other program.
  for (Modal& m : modal_) {
    if (m.form == &form && m.owner && IsWindow(m.owner)) EnableWindow(m.owner, TRUE);
  }
  // Gone from the table first: nothing the window says while it is being
  // destroyed reaches the form.
  forms_.erase(hwnd);
  Pushing pushing(pushing_);
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  DestroyWindow(hwnd);
  form.setHwnd(0);
}

void Win32Toolkit::formChanged(Form& form, std::uint32_t what) {
  FormWin* fw = formWin(form);
  if (!fw) return;
  Pushing pushing(pushing_);
  // The title only on a caption report: the engine writes its clock into
  // this window's title through the window functions, and no other change
  // of the form may undo that.
  if (what & kFormCaption) {
    const std::wstring caption = text::toWide(form.caption());
    SetWindowTextW(fw->hwnd, caption.c_str());
  }
  if (what & kFormPosition) pushFormPosition(*fw);
  if (what & kFormVisible) pushFormVisible(*fw);
  if (what & kFormWindowState) pushFormState(*fw);
}

void Win32Toolkit::pushFormPosition(FormWin& fw) {
  const Form& f = *fw.form;
  SetWindowPos(fw.hwnd, nullptr, twipsToPx(f.left(), screenDpiX()),
               twipsToPx(f.top(), screenDpiY()), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Toolkit::pushFormVisible(FormWin& fw) {
  const Form& f = *fw.form;
  if (!f.visible()) {
    ShowWindow(fw.hwnd, SW_HIDE);
    return;
  }
  // Showing applies the state the model holds (a hidden window's state
  // waits for its showing, see pushFormState).
  int cmd = SW_SHOW;
  const WindowState now = nativeState(fw.hwnd);
  if (now != f.windowState()) {
    switch (f.windowState()) {
      case WindowState::Normal: cmd = SW_SHOWNORMAL; break;
      case WindowState::Minimized: cmd = SW_SHOWMINIMIZED; break;
      case WindowState::Maximized: cmd = SW_SHOWMAXIMIZED; break;
    }
  }
  ShowWindow(fw.hwnd, cmd);
}

void Win32Toolkit::pushFormState(FormWin& fw) {
  // Minimizing or restoring a hidden window would show it; the showing
  // applies the state instead.
  if (!IsWindowVisible(fw.hwnd)) return;
  const WindowState want = fw.form->windowState();
  if (nativeState(fw.hwnd) == want) return;
  switch (want) {
    case WindowState::Normal: ShowWindow(fw.hwnd, SW_RESTORE); break;
    case WindowState::Minimized: ShowWindow(fw.hwnd, SW_MINIMIZE); break;
    case WindowState::Maximized: ShowWindow(fw.hwnd, SW_MAXIMIZE); break;
  }
}

void Win32Toolkit::setFormIcon(FormWin& fw) {
  if (fw.form->icon() != kProgramIcon) return;
  if (!bigIcon_) {
    // Icon resource 1 of the module when it has one (kivo.exe does), else
    // the system's application icon. Shared handles: never destroyed.
    bigIcon_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON),
                                             GetSystemMetrics(SM_CYICON), LR_SHARED));
    smallIcon_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    if (!bigIcon_) bigIcon_ = LoadIconW(nullptr, IDI_APPLICATION);
    if (!smallIcon_) smallIcon_ = bigIcon_;
  }
  SendMessageW(fw.hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
  SendMessageW(fw.hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
}

// ---- What the system does to a form's window ---------------------------------------

void Win32Toolkit::syncFromWindow(HWND hwnd) {
  FormWin* fw = formWin(hwnd);
  if (!fw) return;
  Form* form = fw->form;
  const bool visible = IsWindowVisible(hwnd) != 0;
  // A hidden window's state is the model's until it is shown (see
  // pushFormState): only a shown window tells its state.
  const WindowState state = visible ? nativeState(hwnd) : form->windowState();
  if (visible != form->visible() || state != form->windowState()) {
    // onResize may run here, and may even unload the form.
    form->nativeStateChanged(state, visible);
    fw = formWin(hwnd);
    if (!fw) return;
  }
  // A minimized window's place is its icon's, not the form's.
  if (IsIconic(hwnd)) return;
  RECT r;
  if (!GetWindowRect(hwnd, &r)) return;
  const int dx = screenDpiX(), dy = screenDpiY();
  if (r.left != twipsToPx(form->left(), dx) || r.top != twipsToPx(form->top(), dy))
    form->nativeMoved(pxToTwips(r.left, dx), pxToTwips(r.top, dy));
}

void Win32Toolkit::dpiChanged(FormWin& fw, int dpi, const RECT& suggested) {
  // Moved to a display of another density (the program is per-monitor DPI
  // aware): the layout and the fonts follow, in the rectangle the system
  // suggests.
  {
    Pushing pushing(pushing_);
    fw.dpi = dpi > 0 ? dpi : 96;
    SetWindowPos(fw.hwnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // The suggestion scales the whole window, frame included; where the
    // frame did not scale with it, the client area would cut the fixed
    // layout off (or leave a margin). The form keeps the place and gets
    // the client area its layout needs at this density.
    RECT window, client;
    GetWindowRect(fw.hwnd, &window);
    GetClientRect(fw.hwnd, &client);
    const int dw = twipsToPx(fw.form->clientWidth(), fw.dpi) - client.right;
    const int dh = twipsToPx(fw.form->clientHeight(), fw.dpi) - client.bottom;
    if (dw != 0 || dh != 0) {
      SetWindowPos(fw.hwnd, nullptr, 0, 0, window.right - window.left + dw,
                   window.bottom - window.top + dh, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SendMessageW(fw.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font(fw.form->font(), fw.dpi)),
                 FALSE);
    layoutControls(fw);
  }
  syncFromWindow(fw.hwnd);
}

bool Win32Toolkit::behindModal(const Form& form) const {
  return !modal_.empty() && modal_.back().form != &form;
}

Win32Toolkit::FormWin* Win32Toolkit::formWin(HWND hwnd) {
  const auto it = forms_.find(hwnd);
  return it == forms_.end() ? nullptr : it->second.get();
}

Win32Toolkit::FormWin* Win32Toolkit::formWin(const Form& form) {
  return const_cast<FormWin*>(std::as_const(*this).formWin(form));
}

const Win32Toolkit::FormWin* Win32Toolkit::formWin(const Form& form) const {
  const auto it = forms_.find(toHwnd(form.hwnd()));
  return it != forms_.end() && it->second->form == &form ? it->second.get() : nullptr;
}

HWND Win32Toolkit::windowOf(const Form& form) const {
  const FormWin* fw = formWin(form);
  return fw ? fw->hwnd : nullptr;
}

// ---- The window procedure ---------------------------------------------------------

LRESULT CALLBACK Win32Toolkit::formWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* tk = reinterpret_cast<Win32Toolkit*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!tk) return DefDlgProcW(hwnd, msg, wp, lp);
  try {
    return tk->formMessage(hwnd, msg, wp, lp);
  } catch (...) {
    tk->keep(std::current_exception());
    return 0;
  }
}

LRESULT Win32Toolkit::formMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      // A push's own notifications (EN_CHANGE of a text set by code) are
      // not the user's; after the end nothing reaches a handler.
      if (pushing_ == 0 && !quit_) {
        if (FormWin* fw = formWin(hwnd)) command(*fw, wp, lp);
      }
      return 0;
    case WM_CLOSE: {
      // Not DefDlgProc's: it would turn the close box into Esc. A form
      // behind a modal dialog cannot be closed, as it cannot be clicked.
      FormWin* fw = formWin(hwnd);
      if (fw && !quit_ && !behindModal(*fw->form)) fw->form->userClose();
      return 0;
    }
    case WM_WINDOWPOSCHANGED: {
      // Every show, hide, minimize, restore and move ends here, with the
      // window already in its new state; WM_SIZE and WM_MOVE come from
      // inside DefDlgProc's handling of it.
      const LRESULT r = DefDlgProcW(hwnd, msg, wp, lp);
      if (pushing_ == 0 && !quit_) syncFromWindow(hwnd);
      return r;
    }
    case WM_QUERYENDSESSION: return TRUE;
    case WM_ENDSESSION:
      // Only once the session really ends: a logout another program cancels
      // must leave the clock running.
      if (wp) endSession();
      return 0;
    case WM_DPICHANGED:
      if (FormWin* fw = formWin(hwnd))
        dpiChanged(*fw, LOWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return 0;
    default: break;
  }
  return DefDlgProcW(hwnd, msg, wp, lp);
}

void Win32Toolkit::command(FormWin& fw, WPARAM wp, LPARAM) {
  const int id = LOWORD(wp), code = HIWORD(wp);
  // Enter without a default button's id, and Esc: the dialog manager's
  // IDOK and IDCANCEL are the default and the cancel button's clicks.
  if (id == IDOK || id == IDCANCEL) {
    CommandButton* b = id == IDOK ? fw.form->defaultButton() : fw.form->cancelButton();
    if (ControlWin* cw = b ? controlWin(fw, *b) : nullptr; cw && IsWindowEnabled(cw->hwnd))
      b->userClick();
    return;
  }
  if (ControlWin* cw = controlWin(fw, id)) controlNotified(fw, *cw, code);
}

}  // namespace kivo::win32
