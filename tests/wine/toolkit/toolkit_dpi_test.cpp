// The Win32 toolkit on a display of another density: the program is per-
// monitor DPI aware, so a form moved to such a display gets WM_DPICHANGED
// and must be laid out for it - controls and fonts scaled, the place the
// system suggests taken, nothing clipped.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/win32/win32_toolkit_util.h"
#include "tests/wine/toolkit/toolkit_rig.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace kivo::win32::test {
namespace {

using ::testing::IsEmpty;

// The window rectangle, at `left` and `top`, whose client area is
// `width` x `height` with the frame the window has now.
RECT windowRectFor(HWND h, int left, int top, int width, int height) {
  RECT window, client;
  GetWindowRect(h, &window);
  GetClientRect(h, &client);
  const int frameX = (window.right - window.left) - client.right;
  const int frameY = (window.bottom - window.top) - client.bottom;
  return RECT{left, top, left + width + frameX, top + height + frameY};
}

void sendDpiChanged(HWND h, int dpi, const RECT& suggested) {
  RECT copy = suggested;
  SendMessageW(h, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&copy));
}

TEST(Win32Dpi, AFormMovedToAnotherDensityIsLaidOutForIt) {
  Rig rig;
  rig.app.start();
  SettingsDialog& s = rig.app.main()->settingsDialog();
  s.show();
  const HWND h = rig.toolkit.windowOf(s);
  const int screen = screenDpi();
  ASSERT_THAT(viewDifferences(rig.toolkit, s), IsEmpty());

  // To a display of twice the density, somewhere else: the system suggests
  // the rectangle the form takes there, its frame scaled as well.
  const int dense = screen * 2;
  RECT was;
  GetWindowRect(h, &was);
  const RECT suggested =
      windowRectFor(h, was.left + 40, was.top + 30, twipsToPx(s.clientWidth(), dense),
                    twipsToPx(s.clientHeight(), dense));
  sendDpiChanged(h, dense, suggested);
  RECT now;
  GetWindowRect(h, &now);
  EXPECT_TRUE(EqualRect(&now, &suggested));
  EXPECT_THAT(viewDifferences(rig.toolkit, s, dense), IsEmpty());
  EXPECT_THAT(clippedCaptions(rig.toolkit, s, dense), IsEmpty());

  // Back on the first display. This time the suggestion is the window's
  // rectangle scaled as a whole while its frame keeps its size (a system
  // that does not scale frames): too small for the form. The place is
  // taken, and the size the form needs, so nothing is cut off.
  GetWindowRect(h, &was);
  const RECT scaled{was.left - 20, was.top - 10,
                    was.left - 20 + MulDiv(was.right - was.left, screen, dense),
                    was.top - 10 + MulDiv(was.bottom - was.top, screen, dense)};
  sendDpiChanged(h, screen, scaled);
  GetWindowRect(h, &now);
  EXPECT_EQ(now.left, scaled.left);
  EXPECT_EQ(now.top, scaled.top);
  EXPECT_THAT(viewDifferences(rig.toolkit, s), IsEmpty());
  EXPECT_THAT(clippedCaptions(rig.toolkit, s), IsEmpty());
}

}  // namespace
}  // namespace kivo::win32::test
