// Window handles keep their identity across the 32-bit seam on 64-bit Windows.
#ifdef _WIN32
#include <gtest/gtest.h>

#include "platform/win32/handle.h"

namespace kivo::win32 {
namespace {

TEST(Win32Handles, CrossTheSeamAsTheirLow32Bits) {
  EXPECT_EQ(toHwnd(kHwndTopmost), HWND_TOPMOST);
  EXPECT_EQ(toHwnd(kHwndNoTopmost), HWND_NOTOPMOST);
  EXPECT_EQ(toHwnd(kHwndTop), HWND_TOP);
  EXPECT_EQ(fromHwnd(HWND_TOPMOST), kHwndTopmost);

  // A real (message-only: no display needed) window: the handle that comes
  // back is the one the system gave,
  // and the window functions accept it.
  HWND w = CreateWindowExW(0, L"STATIC", L"kivo handle test", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(w, nullptr);
  const Hwnd h = fromHwnd(w);
  EXPECT_NE(h, 0u);
  EXPECT_EQ(toHwnd(h), w);
  EXPECT_TRUE(IsWindow(toHwnd(h)));
  DestroyWindow(w);
  EXPECT_FALSE(IsWindow(toHwnd(h)));
}

}  // namespace
}  // namespace kivo::win32
#endif
