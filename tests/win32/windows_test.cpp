// The Win32 window functions on a program that has stopped answering.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>

#include "platform/text.h"
#include "platform/utf16.h"
#include "platform/win32/handle.h"
#include "platform/win32/win32_windows.h"
#include "tests/win32/win32_test_util.h"
#include "tests/wine/e2e.h"

namespace kivo::win32 {
namespace {

using namespace std::chrono_literals;

TEST(Win32Windows, AHungWindowNeverBlocksUs) {
  // Longer than a first guess of a buffer, with characters outside the BMP.
  std::string title = "Kivo hung window " + test::token();
  for (int i = 0; i < 150; ++i) title += " 時計🕐";
  const std::string cls = "KivoHung" + test::token();
  e2e::TestWindow other(text::toWide(cls), text::toWide(title));
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
  EXPECT_EQ(ws.findWindow(cls, title), h);
  ws.setWindowText(h, "12:00 Kivo hung window");
  ws.setWindowPos(h, kHwndTop, 90, 70, 0, 0, kSwpNoSize);
  const auto spent = std::chrono::steady_clock::now() - start;
  EXPECT_LT(spent, std::chrono::milliseconds(kSetTextTimeoutMs + 1000)) << "blocked on it";

  // Once it answers again the posted move arrives, and writes work (tried
  // again while a loaded machine makes the answer miss the short bound).
  other.release();
  Rect r;
  EXPECT_TRUE(
      e2e::waitFor([&] { return ws.getWindowRect(h, r) && r.left == 90 && r.top == 70; }, 10s));
  EXPECT_TRUE(e2e::waitFor(
      [&] {
        ws.setWindowText(h, "12:01 Kivo hung window");
        return ws.getWindowText(h, 256) == "12:01 Kivo hung window";
      },
      10s));
}

}  // namespace
}  // namespace kivo::win32
