// The Win32 window functions on a program that has stopped answering.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/text.h"
#include "platform/utf16.h"
#include "platform/win32/handle.h"
#include "platform/win32/win32_windows.h"
#include "tests/win32/win32_test_util.h"

namespace kivo::win32 {
namespace {

// A top-level window of a thread of its own, which stops taking messages
// from hang() until resume(), as a hung program does.
class OtherThreadWindow {
 public:
  explicit OtherThreadWindow(const std::wstring& title) : thread_([this, title] { run(title); }) {
    WaitForSingleObject(ready_, 10000);
  }
  ~OtherThreadWindow() {
    SetEvent(resume_);
    if (hwnd_ != nullptr) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    thread_.join();
    for (HANDLE e : {ready_, hang_, resume_}) CloseHandle(e);
  }
  HWND hwnd() const { return hwnd_; }
  // Returns once the thread has stopped taking messages.
  void hang() {
    PostMessageW(hwnd_, WM_APP, 0, 0);
    WaitForSingleObject(hang_, 10000);
  }
  void resume() { SetEvent(resume_); }

 private:
  void run(const std::wstring& title) {
    hwnd_ = CreateWindowExW(0, L"STATIC", title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                            300, 160, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetEvent(ready_);
    MSG msg;
    while (hwnd_ != nullptr && GetMessageW(&msg, nullptr, 0, 0) > 0 && msg.message != WM_CLOSE) {
      if (msg.message != WM_APP) {
        DispatchMessageW(&msg);
        continue;
      }
      SetEvent(hang_);
      // The hang ends by itself after a while, so a call that blocks on it
      // fails the case instead of stopping the run.
      WaitForSingleObject(resume_, 10000);
    }
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  }

  HANDLE ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE hang_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE resume_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HWND hwnd_ = nullptr;
  std::thread thread_;
};

TEST(Win32Windows, AHungWindowNeverBlocksUs) {
  // Longer than a first guess of a buffer, with characters outside the BMP.
  std::string title = "Kivo hung window " + test::token();
  for (int i = 0; i < 150; ++i) title += " 時計🕐";
  OtherThreadWindow other(text::toWide(title));
  ASSERT_NE(other.hwnd(), nullptr);
  const Hwnd h = fromHwnd(other.hwnd());
  Win32WindowSystem ws;
  other.hang();

  // Titles are read without a message, so at once; a write waits its short
  // bound, no longer; a move is posted.
  const auto start = std::chrono::steady_clock::now();
  const int length = ws.getWindowTextLength(h);
  EXPECT_GE(length, static_cast<int>(text::length(title)));
  EXPECT_EQ(ws.getWindowText(h, length + 1), title);
  EXPECT_EQ(ws.getWindowText(h, 37), text::left(title, 36)) << "cut in characters";
  EXPECT_EQ(ws.findWindow("Static", title), h);
  ws.setWindowText(h, "12:00 Kivo hung window");
  ws.setWindowPos(h, kHwndTop, 90, 70, 0, 0, kSwpNoSize);
  const auto spent = std::chrono::steady_clock::now() - start;
  EXPECT_LT(spent, std::chrono::milliseconds(kSetTextTimeoutMs + 1000)) << "blocked on it";

  // Once it answers again the posted move arrives, and writes work (tried
  // again while a loaded machine makes the answer miss the short bound).
  other.resume();
  Rect r;
  EXPECT_TRUE(
      test::pollUntil([&] { return ws.getWindowRect(h, r) && r.left == 90 && r.top == 70; }));
  EXPECT_TRUE(test::pollUntil([&] {
    ws.setWindowText(h, "12:01 Kivo hung window");
    return ws.getWindowText(h, 256) == "12:01 Kivo hung window";
  }));
}

}  // namespace
}  // namespace kivo::win32
