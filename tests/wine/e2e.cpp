// The end-to-end tests' test windows, registry helpers and kivo.exe process.
#include "tests/wine/e2e.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>

namespace kivo::e2e {

namespace {

// Requests to a test window's thread. They are posted, never sent: the
// test never waits on a window that may hang.
constexpr UINT kMsgRetitle = WM_APP + 1;  // lParam: new std::wstring
constexpr UINT kMsgFront = WM_APP + 2;
constexpr UINT kMsgHang = WM_APP + 3;

}  // namespace

bool waitFor(const std::function<bool()>& condition, Ms timeout) {
  const auto deadline = SteadyClock::now() + timeout;
  while (SteadyClock::now() < deadline) {
    if (condition()) return true;
    Sleep(10);
  }
  return condition();
}

std::wstring windowText(HWND h) {
  // The title as the system keeps it. GetWindowTextW would ask the window
  // itself when it belongs to this process, and a hung test window never
  // answers.
  std::wstring text(4096, L'\0');
  const int got = InternalGetWindowText(h, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

const std::wregex& standardClock() {
  static const std::wregex clock(L"[0-9]{1,2}:[0-9]{2},[A-Z][a-z]{2},[0-9]{1,2}");
  return clock;
}

bool decoratedLeft(const std::wstring& caption, const std::wstring& title, const std::wstring& sep,
                   const std::wregex& clock) {
  const std::wstring tail = sep + title;
  if (caption.size() <= tail.size() || !caption.ends_with(tail)) return false;
  return std::regex_match(caption.substr(0, caption.size() - tail.size()), clock);
}

// ---- TestWindow

TestWindow::TestWindow(std::wstring className, std::wstring title)
    : className_(std::move(className)), ownTitle_(std::move(title)) {
  ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  released_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = std::thread([this] { run(); });
  WaitForSingleObject(ready_, 10000);
  if (!hwnd_) ADD_FAILURE() << "test window could not be created";
}

TestWindow::~TestWindow() {
  release();
  if (hwnd_) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
  if (thread_.joinable()) thread_.join();
  CloseHandle(ready_);
  CloseHandle(released_);
}

void TestWindow::run() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &TestWindow::windowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = className_.c_str();
  RegisterClassExW(&wc);
  hwnd_ = CreateWindowExW(0, className_.c_str(), ownTitle_.c_str(), WS_OVERLAPPEDWINDOW, 200, 150,
                          480, 240, nullptr, nullptr, wc.hInstance, this);
  if (hwnd_) ShowWindow(hwnd_, SW_SHOWNORMAL);
  SetEvent(ready_);
  MSG msg;
  while (hwnd_ && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  UnregisterClassW(className_.c_str(), wc.hInstance);
}

LRESULT CALLBACK TestWindow::windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<TestWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  return self->message(msg, wp, lp);
}

LRESULT TestWindow::message(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_WINDOWPOSCHANGED:
      if (!(reinterpret_cast<WINDOWPOS*>(lp)->flags & SWP_NOMOVE)) ++moves_;
      break;
    case kMsgRetitle: {
      std::unique_ptr<std::wstring> title(reinterpret_cast<std::wstring*>(lp));
      SetWindowTextW(hwnd_, title->c_str());
      return 0;
    }
    case kMsgFront: SetForegroundWindow(hwnd_); return 0;
    case kMsgHang: WaitForSingleObject(released_, INFINITE); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

bool TestWindow::waitDecorated(Ms timeout) const {
  return waitFor([&] { return decorated(); }, timeout);
}

bool TestWindow::waitOwnTitle(Ms timeout) const {
  return waitFor([&] { return text() == ownTitle_; }, timeout);
}

void TestWindow::retitle(const std::wstring& title) {
  ownTitle_ = title;
  PostMessageW(hwnd_, kMsgRetitle, 0, reinterpret_cast<LPARAM>(new std::wstring(title)));
  // Kivo may decorate the new title at once, so "done" is any caption that
  // holds it.
  EXPECT_TRUE(waitFor([&] { return text().find(title) != std::wstring::npos; }, 5s))
      << "the window did not take its new title";
}

bool TestWindow::bringToFront() {
  return frontUntil([&] { return GetForegroundWindow() == hwnd_; }, 5s);
}

bool TestWindow::frontUntil(const std::function<bool()>& condition, Ms timeout) {
  // Asks again every half second while another window holds the front (a
  // window of Kivo's that is still coming up may take it back).
  auto asked = SteadyClock::now() - 1s;
  return waitFor(
      [&] {
        if (condition()) return true;
        if (GetForegroundWindow() != hwnd_ && SteadyClock::now() - asked >= 500ms) {
          PostMessageW(hwnd_, kMsgFront, 0, 0);
          asked = SteadyClock::now();
        }
        return false;
      },
      timeout);
}

void TestWindow::hang() {
  ResetEvent(released_);
  PostMessageW(hwnd_, kMsgHang, 0, 0);
  // Hung for sure once a message sent to it no longer comes back.
  waitFor(
      [&] {
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(hwnd_, WM_NULL, 0, 0, SMTO_BLOCK, 50, &result) == 0;
      },
      5s);
}

void TestWindow::release() { SetEvent(released_); }

RECT TestWindow::rect() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return r;
}

// ---- registry

std::optional<std::wstring> registryText(const std::wstring& key, const std::wstring& name) {
  // Large enough for every value the tests and Kivo write.
  std::wstring value(4096, L'\0');
  DWORD bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                   value.data(), &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.resize(wcslen(value.c_str()));
  return value;
}

void setRegistryText(const std::wstring& key, const std::wstring& name, const std::wstring& value) {
  const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  EXPECT_EQ(
      RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), REG_SZ, value.c_str(), bytes),
      ERROR_SUCCESS);
}

void store::reset() { RegDeleteTreeW(HKEY_CURRENT_USER, kStoreRoot); }

// ---- KivoProcess

std::wstring KivoProcess::programPath() {
  // build-win32/tests/wine/kivo_e2e.exe -> build-win32/kivo.exe
  std::wstring self(MAX_PATH, L'\0');
  self.resize(GetModuleFileNameW(nullptr, self.data(), MAX_PATH));
  for (int up = 0; up < 3; ++up) self.resize(self.find_last_of(L"\\/"));
  return self + L"\\kivo.exe";
}

KivoProcess::KivoProcess(const std::wstring& program) {
  std::wstring line = L"\"" + program + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &info_)) {
    ADD_FAILURE() << "kivo.exe did not start, error " << GetLastError();
    info_ = {};
  }
}

KivoProcess::~KivoProcess() {
  if (!info_.hProcess) return;
  if (!waitExit(0ms)) {
    ADD_FAILURE() << "kivo.exe was still running at the end of the test";
    if (!close()) TerminateProcess(info_.hProcess, 99);
    waitExit(5s);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

bool KivoProcess::close() {
  const HWND main = mainWindow();
  if (main) PostMessageW(main, WM_CLOSE, 0, 0);
  return main && waitExit(10s);
}

bool KivoProcess::waitExit(Ms timeout) {
  return info_.hProcess &&
         WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

DWORD KivoProcess::exitCode() const {
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

namespace {

// The first window `match` takes: among the top-level windows, or among
// the children of `parent` (at any depth) when one is given.
HWND firstWindow(HWND parent, const std::function<bool(HWND)>& match) {
  struct Search {
    const std::function<bool(HWND)>& match;
    HWND found = nullptr;
  } search{match};
  const WNDENUMPROC visit = [](HWND h, LPARAM lp) -> BOOL {
    auto& s = *reinterpret_cast<Search*>(lp);
    if (!s.match(h)) return TRUE;
    s.found = h;
    return FALSE;
  };
  if (parent) {
    EnumChildWindows(parent, visit, reinterpret_cast<LPARAM>(&search));
  } else {
    EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
  }
  return search.found;
}

// A top-level window of process `pid` of class `cls` whose title is
// `caption` (exact) or holds it.
HWND processWindow(DWORD pid, const std::wstring& cls, const std::wstring& caption, bool exact) {
  return firstWindow(nullptr, [&](HWND h) {
    DWORD owner = 0;
    GetWindowThreadProcessId(h, &owner);
    wchar_t name[256] = {};
    GetClassNameW(h, name, 256);
    const std::wstring text = windowText(h);
    return owner == pid && cls == name &&
           (exact ? text == caption : text.find(caption) != std::wstring::npos);
  });
}

}  // namespace

HWND KivoProcess::formWindow(const std::wstring& caption) const {
  return processWindow(pid(), kFormClass, caption, false);
}

HWND KivoProcess::messageBox(const std::wstring& title) const {
  return processWindow(pid(), L"#32770", title, true);
}

HWND findControl(HWND parent, const std::wstring& text) {
  return firstWindow(parent, [&](HWND h) { return windowText(h) == text; });
}

void click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

}  // namespace kivo::e2e
