// Win32 toolkit: the message loops (main, modal, DoEvents), message boxes,
// timers on a hidden message window, quit and the screen's metrics.
#include "platform/win32/win32_toolkit.h"

#include <algorithm>

#include "platform/utf16.h"
#include "platform/win32/handle.h"
#include "platform/win32/win32_toolkit_util.h"
#include "platform/win32/win32_tray.h"

namespace kivo::win32 {

namespace {

constexpr const wchar_t* kMessageWindowClass = L"KivoToolkitMessages";

int roundedTwipsPerPixel(int dpi) { return std::max(1, (1440 + dpi / 2) / std::max(dpi, 1)); }

int screenDpi(int index) {
  HDC dc = GetDC(nullptr);
  const int dpi = dc ? GetDeviceCaps(dc, index) : 96;
  if (dc) ReleaseDC(nullptr, dc);
  return dpi > 0 ? dpi : 96;
}

}  // namespace

Win32Toolkit::Win32Toolkit(HINSTANCE instance) : instance_(instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &Win32Toolkit::messageWindowProc;
  wc.hInstance = instance_;
  wc.lpszClassName = kMessageWindowClass;
  // A second toolkit in one process (tests) finds the class registered.
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    systemFailed("RegisterClassExW");
  // Message-only: never shown, never enumerated, no broadcasts; the timers'
  // messages come to it.
  messageWindow_ = CreateWindowExW(0, kMessageWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                   nullptr, instance_, this);
  if (!messageWindow_) systemFailed("CreateWindowExW");
  registerFormClass();
}

Win32Toolkit::~Win32Toolkit() {
  for (const auto& [id, timer] : timers_) KillTimer(messageWindow_, id);
  timers_.clear();
  // Forms are detached by their owners; a window still here belongs to a
  // form that outlives the toolkit, which must not hear from it again.
  for (const auto& [hwnd, fw] : forms_) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
  }
  forms_.clear();
  DestroyWindow(messageWindow_);
  for (const auto& [key, font] : fonts_) DeleteObject(font);
  // The quit request stays in the thread's queue until read: a toolkit made
  // later on this thread must not take it for its own.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

// ---- Message loops -----------------------------------------------------------

bool Win32Toolkit::dialogMessage(MSG& msg) {
  if (!msg.hwnd) return false;
  // Tab, the arrows, Enter, Esc and the access keys of a form's controls
  // are the dialog manager's, as in any dialog box.
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  FormWin* fw = root ? formWin(root) : nullptr;
  if (!fw) return false;
  if (sharedAccessKey(*fw, msg)) return true;
  return IsDialogMessageW(root, &msg) != 0;
}

bool Win32Toolkit::dispatch(MSG& msg) {
  if (msg.message == WM_QUIT) {
    if (!quit_) foreignQuit();
    return false;
  }
  if (!dialogMessage(msg)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  rethrowKept();
  return true;
}

void Win32Toolkit::doEvents() {
  MSG msg;
  while (!quit_ && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (!dispatch(msg)) break;
  }
}

int Win32Toolkit::run() {
  MSG msg;
  while (!quit_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) break;
    if (!dispatch(msg)) break;
  }
  return 0;
}

void Win32Toolkit::runModal(Form& form, Hwnd owner) {
  if (quit_ || !formWin(form)) return;
  HWND ownerWnd = owner ? toHwnd(owner) : nullptr;
  // Only a window of the program is disabled: another program's window is
  // not ours to lock.
  if (ownerWnd && !formWin(ownerWnd)) ownerWnd = nullptr;
  // An owner disabled already (behind an outer dialog) stays so afterwards.
  const bool enable = ownerWnd && IsWindowEnabled(ownerWnd);
  if (enable) EnableWindow(ownerWnd, FALSE);
  modal_.push_back(Modal{&form, enable ? ownerWnd : nullptr});
  struct Leave {
    Win32Toolkit& tk;
    HWND owner;
    ~Leave() {
      tk.modal_.pop_back();
      if (!owner || !IsWindow(owner)) return;
      EnableWindow(owner, TRUE);
      if (IsWindowVisible(owner) && !IsIconic(owner)) SetForegroundWindow(owner);
    }
  } leave{*this, enable ? ownerWnd : nullptr};
  MSG msg;
  while (!form.closed() && !quit_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) break;
    if (!dispatch(msg)) break;
  }
}

void Win32Toolkit::quit() {
  if (quit_) return;
  quit_ = true;
  for (const auto& [id, timer] : timers_) KillTimer(messageWindow_, id);
  timers_.clear();
  // WM_QUIT ends every modal loop the system runs (message boxes, menus)
  // from the inside, and ours see quit_ when they wake up.
  PostQuitMessage(0);
}

void Win32Toolkit::foreignQuit() {
  // Someone asked the thread to end (a WM_QUIT the program did not post):
  // end as on logging out, so the clock leaves the title it decorates.
  endSession();
  if (!quit_) quit();
}

void Win32Toolkit::endSession() {
  if (sessionEnded_) return;
  sessionEnded_ = true;
  if (onEndSession) onEndSession();
  if (!quit_) quit();
}

void Win32Toolkit::keep(std::exception_ptr e) {
  if (!kept_) kept_ = e;
}

void Win32Toolkit::rethrowKept() {
  if (!kept_) return;
  std::exception_ptr e = kept_;
  kept_ = nullptr;
  std::rethrow_exception(e);
}

// ---- Message boxes -----------------------------------------------------------

int Win32Toolkit::messageBox(Hwnd owner, const std::string& text, const std::string& title,
                             int style) {
  // The program has ended: no box may appear any more.
  if (quit_) return 0;
  HWND ownerWnd = owner ? toHwnd(owner) : nullptr;
  if (ownerWnd && !IsWindow(ownerWnd)) ownerWnd = nullptr;
  const std::wstring wideText = text::toWide(text), wideTitle = text::toWide(title);
  // The box's own loop dispatches the timers' messages, so the ticks go on
  // while it waits; an exception kept meanwhile is thrown by our next loop.
  return MessageBoxW(ownerWnd, wideText.c_str(), wideTitle.c_str(), static_cast<UINT>(style));
}

// ---- Timers ------------------------------------------------------------------

void Win32Toolkit::timerChanged(Timer& timer) {
  killTimer(timer);
  if (quit_ || !timer.active() || !formWin(timer.form())) return;
  // A fresh id for every start: a WM_TIMER of the previous start that is
  // already on its way names an id nobody holds any more, and is dropped.
  const UINT_PTR id = nextTimerId_++;
  const UINT ms = static_cast<UINT>(std::max(timer.interval(), int{USER_TIMER_MINIMUM}));
  if (SetTimer(messageWindow_, id, ms, nullptr)) timers_[id] = &timer;
}

void Win32Toolkit::killTimer(Timer& timer) {
  for (auto it = timers_.begin(); it != timers_.end(); ++it) {
    if (it->second != &timer) continue;
    KillTimer(messageWindow_, it->first);
    timers_.erase(it);
    return;
  }
}

void Win32Toolkit::fireTimer(UINT_PTR id) {
  const auto it = timers_.find(id);
  if (it == timers_.end()) {
    // Stale: stopped or restarted since this message was queued.
    KillTimer(messageWindow_, id);
    return;
  }
  if (quit_ || !it->second->active()) return;
  // A run still in progress (a box or DoEvents inside the handler) drops
  // this firing: the model's guard sees to it.
  it->second->fire();
}

LRESULT CALLBACK Win32Toolkit::messageWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* tk = reinterpret_cast<Win32Toolkit*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_TIMER && tk) {
    try {
      tk->fireTimer(wp);
    } catch (...) {
      tk->keep(std::current_exception());
    }
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// ---- The screen --------------------------------------------------------------

int Win32Toolkit::screenDpiX() const { return screenDpi(LOGPIXELSX); }
int Win32Toolkit::screenDpiY() const { return screenDpi(LOGPIXELSY); }

int Win32Toolkit::twipsPerPixelX() { return roundedTwipsPerPixel(screenDpiX()); }
int Win32Toolkit::twipsPerPixelY() { return roundedTwipsPerPixel(screenDpiY()); }

int Win32Toolkit::screenWidthTwips() { return GetSystemMetrics(SM_CXSCREEN) * twipsPerPixelX(); }
int Win32Toolkit::screenHeightTwips() { return GetSystemMetrics(SM_CYSCREEN) * twipsPerPixelY(); }

std::unique_ptr<TrayIcon> Win32Toolkit::createTrayIcon() {
  return std::make_unique<Win32TrayIcon>(instance_);
}

}  // namespace kivo::win32
