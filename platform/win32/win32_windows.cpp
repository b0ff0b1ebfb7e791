// Win32 window functions: foreground, titles, class names, find, show, move, flash.
#include "platform/win32/win32_windows.h"

#include <cstddef>
#include <utility>

#include "platform/text.h"
#include "platform/utf16.h"
#include "platform/win32/handle.h"

namespace kivo::win32 {

// The seam's values go to Windows as they are.
static_assert(kSwpNoSize == SWP_NOSIZE && kSwpNoMove == SWP_NOMOVE &&
              kSwpShowWindow == SWP_SHOWWINDOW);
static_assert(kSwHide == SW_HIDE && kSwShowNormal == SW_SHOWNORMAL &&
              kSwShowMinimized == SW_SHOWMINIMIZED && kSwShowMaximized == SW_SHOWMAXIMIZED &&
              kSwShow == SW_SHOW && kSwMinimize == SW_MINIMIZE &&
              kSwShowMinNoActive == SW_SHOWMINNOACTIVE && kSwRestore == SW_RESTORE &&
              kSwForceMinimize == SW_FORCEMINIMIZE);

namespace {

// No title is this long; the cap only bounds the loop below.
constexpr std::size_t kMaxTitleUnits = std::size_t{1} << 20;
// Class names are at most 256 characters.
constexpr int kClassBufferUnits = 257;

// The whole title, as the window manager keeps it. InternalGetWindowText
// sends the window no message, so a hung program cannot block us (and a
// program that answers WM_GETTEXT with something else cannot fool us).
// It reports only what fits, so the buffer grows until the title does.
std::wstring storedTitle(HWND hwnd) {
  if (hwnd == nullptr) return {};
  std::wstring buffer(256, L'\0');
  for (;;) {
    const int n = InternalGetWindowText(hwnd, buffer.data(), static_cast<int>(buffer.size()));
    if (n <= 0) return {};
    const auto copied = static_cast<std::size_t>(n);
    if (copied + 1 < buffer.size() || buffer.size() >= kMaxTitleUnits) {
      buffer.resize(copied);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

// Cut to at most bufferChars - 1 characters, as a buffer of that size holds.
std::string cutToBuffer(const std::string& s, int bufferChars) {
  if (bufferChars <= 1) return {};
  return text::left(s, static_cast<std::size_t>(bufferChars - 1));
}

}  // namespace

Hwnd Win32WindowSystem::getForegroundWindow() { return fromHwnd(GetForegroundWindow()); }

int Win32WindowSystem::getWindowTextLength(Hwnd h) {
  return static_cast<int>(text::length(text::fromWide(storedTitle(toHwnd(h)))));
}

std::string Win32WindowSystem::getWindowText(Hwnd h, int bufferChars) {
  if (h == 0 || bufferChars <= 1) return {};
  // Cut in characters after the conversion, so a buffer never ends inside
  // a surrogate pair.
  return cutToBuffer(text::fromWide(storedTitle(toHwnd(h))), bufferChars);
}

void Win32WindowSystem::setWindowText(Hwnd h, const std::string& text) {
  if (h == 0) return;
  const HWND hwnd = toHwnd(h);
  DWORD process = 0;
  const DWORD thread = GetWindowThreadProcessId(hwnd, &process);
  if (thread == 0) return;  // no such window

  auto title = std::make_unique<std::wstring>(text::toWide(text::cutAtNul(text)));
  DWORD_PTR result = 0;
  // SMTO_ABORTIFHUNG gives up at once on a program Windows already knows is
  // hung; the timeout bounds the wait on one that has only just stopped.
  const LRESULT sent =
      SendMessageTimeoutW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title->c_str()),
                          SMTO_NORMAL | SMTO_ABORTIFHUNG, kSetTextTimeoutMs, &result);
  // Another process gets a copy of the text; another thread of ours gets
  // our pointer and may still be using it.
  if (sent == 0 && process == GetCurrentProcessId() && thread != GetCurrentThreadId()) {
    abandonedTitles_.push_back(std::move(title));
  }
}

int Win32WindowSystem::getClassName(Hwnd h, std::string& out, int bufferChars) {
  out.clear();
  if (h == 0 || bufferChars <= 1) return 0;
  wchar_t buffer[kClassBufferUnits];
  const int n = GetClassNameW(toHwnd(h), buffer, kClassBufferUnits);
  if (n <= 0) return 0;
  out = cutToBuffer(text::fromWide(std::wstring_view(buffer, static_cast<std::size_t>(n))),
                    bufferChars);
  return static_cast<int>(text::length(out));
}

Hwnd Win32WindowSystem::findWindow(const std::string& className, const std::string& title) {
  // Both are C strings to Windows: they end at their first NUL.
  const std::wstring cls = text::toWide(text::cutAtNul(className));
  const std::wstring name = text::toWide(text::cutAtNul(title));
  return fromHwnd(FindWindowW(cls.c_str(), name.c_str()));
}

void Win32WindowSystem::showWindow(Hwnd h, int cmd) {
  if (h == 0) return;
  ShowWindow(toHwnd(h), cmd);
}

void Win32WindowSystem::setWindowPos(Hwnd h, Hwnd insertAfter, int x, int y, int cx, int cy,
                                     std::uint32_t flags) {
  if (h == 0) return;
  const HWND hwnd = toHwnd(h);
  const DWORD thread = GetWindowThreadProcessId(hwnd, nullptr);
  if (thread == 0) return;  // no such window
  // A synchronous move of another thread's window waits for that thread to
  // answer; posted, a hung window cannot stall the shake.
  if (thread != GetCurrentThreadId()) flags |= SWP_ASYNCWINDOWPOS;
  SetWindowPos(hwnd, toHwnd(insertAfter), x, y, cx, cy, flags);
}

void Win32WindowSystem::setForegroundWindow(Hwnd h) {
  if (h == 0) return;
  SetForegroundWindow(toHwnd(h));
}

bool Win32WindowSystem::getWindowRect(Hwnd h, Rect& rect) {
  if (h == 0) return false;
  RECT r;
  if (!GetWindowRect(toHwnd(h), &r)) return false;
  rect = Rect{r.left, r.top, r.right, r.bottom};
  return true;
}

void Win32WindowSystem::flashWindow(Hwnd h, bool invert) {
  if (h == 0) return;
  FlashWindow(toHwnd(h), invert ? TRUE : FALSE);
}

}  // namespace kivo::win32
