// The tray icon in the taskbar's notification area.
#include "platform/win32/win32_tray.h"

#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "platform/errors.h"
#include "platform/utf16.h"
#include "platform/win32/system_library.h"

namespace kivo::win32 {

namespace {

constexpr const wchar_t* kTrayWindowClass = L"KivoTrayIcon";
constexpr UINT kCallbackMessage = WM_APP + 1;
constexpr UINT_PTR kRetryTimer = 1;
constexpr UINT kRetryMs = 2000;
// The icon's identity for the shell, the same in every version of Kivo so
// that the user's "show this icon" choice sticks.
constexpr GUID kTrayGuid = {
    0x5b6e2e7a, 0x3c1d, 0x4b7a, {0x9e, 0x0f, 0x6a, 0x2d, 0x4c, 0x8b, 0x1f, 0x37}};

// At most `room` - 1 UTF-16 units, never cut inside a surrogate pair.
std::wstring cutTo(std::wstring text, std::size_t room) {
  if (text.size() < room) return text;
  std::size_t n = room - 1;
  if (n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
  text.resize(n);
  return text;
}

// Shell_NotifyIconW, from shell32 loaded when the first icon is shown: with
// the icon switched off the shell's library is never loaded.
BOOL notifyIcon(DWORD message, NOTIFYICONDATAW* data) {
  static SystemLibrary shell32(L"shell32.dll");
  static SystemFunction<BOOL WINAPI(DWORD, NOTIFYICONDATAW*)> shellNotifyIcon(shell32,
                                                                              "Shell_NotifyIconW");
  try {
    return shellNotifyIcon.get()(message, data);
  } catch (const RuntimeError&) {
    return FALSE;  // as a refusal of the shell: tried again later
  }
}

}  // namespace

Win32TrayIcon::Win32TrayIcon(HINSTANCE instance) : instance_(instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &Win32TrayIcon::windowProc;
  wc.hInstance = instance_;
  wc.lpszClassName = kTrayWindowClass;
  RegisterClassExW(&wc);  // already there for a second icon: fine
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  // A top-level window that is never shown: message-only windows do not
  // hear the taskbar's broadcast.
  window_ = CreateWindowExW(0, kTrayWindowClass, L"Kivo", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                            instance_, this);
  icon_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                        GetSystemMetrics(SM_CXSMICON),
                                        GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  ownIcon_ = icon_ != nullptr;
  if (!icon_) icon_ = LoadIconW(nullptr, IDI_APPLICATION);
}

Win32TrayIcon::~Win32TrayIcon() {
  hide();
  if (window_) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
  if (ownIcon_) DestroyIcon(icon_);
}

bool Win32TrayIcon::notify(DWORD message) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window_;
  data.uID = 1;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
  if (useGuid_) {
    data.uFlags |= NIF_GUID;
    data.guidItem = kTrayGuid;
  }
  data.uCallbackMessage = kCallbackMessage;
  data.hIcon = icon_;
  const std::wstring tip = cutTo(tooltip_, std::size(data.szTip));
  std::copy(tip.begin(), tip.end(), data.szTip);
  if (message == NIM_SETVERSION) data.uVersion = NOTIFYICON_VERSION_4;
  return notifyIcon(message, &data) != FALSE;
}

bool Win32TrayIcon::add() {
  if (!window_) return false;
  bool ok = notify(NIM_ADD);
  if (!ok && useGuid_) {
    // The shell ties a GUID to the path of the program that first used it:
    // a copy of Kivo elsewhere, or a stale entry, is refused. Clear ours and
    // try once more, then go on without the GUID.
    notify(NIM_DELETE);
    ok = notify(NIM_ADD);
    if (!ok) {
      useGuid_ = false;
      ok = notify(NIM_ADD);
    }
  }
  if (ok) notify(NIM_SETVERSION);
  added_ = ok;
  if (ok) {
    KillTimer(window_, kRetryTimer);
  } else {
    SetTimer(window_, kRetryTimer, kRetryMs, nullptr);
  }
  return ok;
}

bool Win32TrayIcon::show(const std::string& tooltip) {
  tooltip_ = text::toWide(tooltip);
  wanted_ = true;
  if (added_ && notify(NIM_MODIFY)) return true;
  return add();
}

void Win32TrayIcon::hide() {
  wanted_ = false;
  if (window_) KillTimer(window_, kRetryTimer);
  if (added_) notify(NIM_DELETE);
  added_ = false;
}

void Win32TrayIcon::openMenu() {
  if (!menu) return;
  const std::vector<TrayMenuItem> items = menu();
  HMENU popup = CreatePopupMenu();
  if (!popup) return;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].separatorBefore) AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    const UINT flags = MF_STRING | (items[i].checked ? MF_CHECKED : MF_UNCHECKED);
    AppendMenuW(popup, flags, i + 1, text::toWide(items[i].text).c_str());
  }
  SetMenuDefaultItem(popup, 1, FALSE);
  POINT at{};
  GetCursorPos(&at);
  // Without the foreground the menu would not close when the user clicks
  // elsewhere.
  SetForegroundWindow(window_);
  const int chosen = static_cast<int>(TrackPopupMenuEx(
      popup, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, window_, nullptr));
  PostMessageW(window_, WM_NULL, 0, 0);
  DestroyMenu(popup);
  // Last: the choice may end the program and this icon with it.
  if (chosen > 0 && onChoose) onChoose(chosen - 1);
}

LRESULT Win32TrayIcon::handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == taskbarCreated_ && taskbarCreated_ != 0) {
    // Explorer started afresh: it knows no icon.
    added_ = false;
    if (wanted_) add();
    return 0;
  }
  switch (msg) {
    case WM_TIMER:
      if (wParam == kRetryTimer && wanted_ && !added_) add();
      return 0;
    case kCallbackMessage:
      switch (LOWORD(lParam)) {
        case WM_CONTEXTMENU: openMenu(); return 0;
        case WM_LBUTTONDBLCLK:
          if (onChoose) onChoose(-1);
          return 0;
        default: return 0;
      }
    default: return DefWindowProcW(window_, msg, wParam, lParam);
  }
}

LRESULT CALLBACK Win32TrayIcon::windowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    auto* self = static_cast<Win32TrayIcon*>(create->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = hwnd;
  }
  auto* self = reinterpret_cast<Win32TrayIcon*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  return self->handle(msg, wParam, lParam);
}

}  // namespace kivo::win32
