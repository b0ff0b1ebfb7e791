// The window manager's changes reach the models of the Qt toolkit's forms,
// and the program's own changes never come back from it: a second start's
// showing, restoring and placing, the program minimizing a window (the
// user's input on the widgets, minimizing and the close boxes are the
// toolkit contract suite's; the window-list dialog's tailing is the dialog
// unit tests').
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/x11/qt/qt_rig.h"
#include "ui/main_window.h"

namespace kivo::qt::test {
namespace {

using ::testing::IsEmpty;

TEST(QtInput, TheWindowManagersChangesReachTheModelAndPushesNeverComeBack) {
  Rig rig;
  rig.app.start();
  ASSERT_TRUE(windowManagerCaughtUp(rig.toolkit));
  MainWindow& m = *rig.app.main();
  const Hwnd h = m.hwnd();
  // Shown normal, where the model says (the window manager frames and
  // places a window a little after it is shown).
  const auto placed = [&] {
    return pumpUntil(rig.toolkit,
                     [&] { return wmState(h) == 1 && placeDifferences(rig.toolkit, m).empty(); });
  };
  // A second start shows the hidden main window: it comes up normal, the
  // model following (its centring is the main window's unit tests').
  rig.toolkit.showOwnWindow(h, kSwShowNormal);
  EXPECT_TRUE(m.visible());
  EXPECT_EQ(m.windowState(), WindowState::Normal);
  EXPECT_THAT(viewDifferences(rig.toolkit, m), IsEmpty());
  ASSERT_TRUE(placed()) << ::testing::PrintToString(placeDifferences(rig.toolkit, m));
  // Centred, and the frame the window manager put round it did not drag the
  // model along (within a pixel: the window's place is in whole pixels).
  const int pixel = rig.toolkit.twipsPerPixelX();
  EXPECT_NEAR(m.left(), (rig.toolkit.screenWidthTwips() - m.width()) / 2, pixel);
  EXPECT_NEAR(m.top(), (rig.toolkit.screenHeightTwips() - m.height()) / 2, pixel);

  // The window's own reports of a push are not taken for the user's: a
  // place between two pixels survives a hiding and a showing, and so does
  // a clock the engine wrote into the title.
  setWindowTitle(h, "12:00 = Kivo for Windows NT/95");
  const int left = m.left() + 307, top = m.top() + 7;
  m.move(left, top);
  m.hide();
  ASSERT_TRUE(windowManagerCaughtUp(rig.toolkit));
  m.show();
  EXPECT_EQ(m.left(), left);
  EXPECT_EQ(m.top(), top);
  EXPECT_TRUE(pumpUntil(rig.toolkit, [&] { return wmState(h) == 1; }));
  EXPECT_EQ(windowTitle(h), "12:00 = Kivo for Windows NT/95");

  // The program minimizes it and restores it, as the window-list dialog
  // does itself while it tails: the window manager follows.
  m.setWindowState(WindowState::Minimized);
  EXPECT_TRUE(pumpUntil(rig.toolkit, [&] { return wmState(h) == 3; }));
  m.setWindowState(WindowState::Normal);
  EXPECT_TRUE(placed()) << ::testing::PrintToString(placeDifferences(rig.toolkit, m));

  // The user minimizes it through the window manager; a second start
  // restores it.
  ASSERT_TRUE(windowManagerCaughtUp(rig.toolkit));
  ASSERT_EQ(std::system(("xdotool windowminimize " + std::to_string(h)).c_str()), 0);
  EXPECT_TRUE(pumpUntil(rig.toolkit, [&] { return m.windowState() == WindowState::Minimized; }));
  rig.toolkit.showOwnWindow(h, kSwRestore);
  rig.toolkit.raiseOwnWindow(h);
  EXPECT_EQ(m.windowState(), WindowState::Normal);
  EXPECT_THAT(viewDifferences(rig.toolkit, m), IsEmpty());
  EXPECT_TRUE(placed()) << ::testing::PrintToString(placeDifferences(rig.toolkit, m));
}

}  // namespace
}  // namespace kivo::qt::test
