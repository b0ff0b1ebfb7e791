// The window manager's changes reach the models of the Qt toolkit's forms:
// a second start's showing, restoring and placing, the window-list dialog
// minimizing itself (the user's input on the widgets, minimizing and the
// close boxes are the toolkit contract suite's).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QPushButton>

#include <cstdlib>

#include "tests/x11/qt/qt_rig.h"
#include "ui/main_window.h"
#include "ui/window_list_dialog.h"

namespace kivo::qt::test {
namespace {

using ::testing::IsEmpty;

TEST(QtInput, TheWindowManagersChangesReachTheModel) {
  Rig rig;
  rig.app.start();
  ASSERT_TRUE(windowManagerCaughtUp(rig.toolkit));
  MainWindow& m = *rig.app.main();
  const Hwnd h = m.hwnd();
  // A second start shows the hidden main window: it comes up normal and
  // centred, the model following.
  rig.toolkit.showOwnWindow(h, kSwShowNormal);
  EXPECT_TRUE(m.visible());
  EXPECT_EQ(m.windowState(), WindowState::Normal);
  EXPECT_EQ(m.left(), (rig.toolkit.screenWidthTwips() - m.width()) / 2);
  EXPECT_THAT(viewDifferences(rig.toolkit, m), IsEmpty());
  ASSERT_TRUE(pumpUntil(rig.toolkit, [&] {
    return wmState(h) == 1 && placeDifferences(rig.toolkit, m).empty();
  })) << ::testing::PrintToString(placeDifferences(rig.toolkit, m));

  // A clock the engine writes into the title stays through other pushes.
  setWindowTitle(h, "12:00 = Kivo for Windows NT/95");
  m.move(m.left() + 300, m.top());
  m.hide();
  ASSERT_TRUE(windowManagerCaughtUp(rig.toolkit));
  m.show();
  EXPECT_TRUE(pumpUntil(rig.toolkit, [&] { return wmState(h) == 1; }));
  EXPECT_EQ(windowTitle(h), "12:00 = Kivo for Windows NT/95");

  // The user minimizes it through the window manager; a second start
  // restores it, centred again.
  ASSERT_EQ(std::system(("xdotool windowminimize " + std::to_string(h)).c_str()), 0);
  EXPECT_TRUE(pumpUntil(rig.toolkit, [&] { return m.windowState() == WindowState::Minimized; }));
  EXPECT_TRUE(m.visible());
  rig.toolkit.showOwnWindow(h, kSwRestore);
  rig.toolkit.raiseOwnWindow(h);
  EXPECT_EQ(m.windowState(), WindowState::Normal);
  EXPECT_EQ(m.left(), (rig.toolkit.screenWidthTwips() - m.width()) / 2);
  EXPECT_THAT(viewDifferences(rig.toolkit, m), IsEmpty());
  EXPECT_TRUE(pumpUntil(rig.toolkit, [&] {
    return wmState(h) == 1 && placeDifferences(rig.toolkit, m).empty();
  })) << ::testing::PrintToString(placeDifferences(rig.toolkit, m));
}

TEST(QtInput, TheWindowListDialogMinimizesItselfWhileItTails) {
  Rig rig;
  rig.windows.addWindow(0x500, "XTerm", "xterm");
  rig.windows.focus(0x500);
  rig.app.start();
  ASSERT_TRUE(windowManagerCaughtUp(rig.toolkit));
  MainWindow& m = *rig.app.main();
  rig.toolkit.showOwnWindow(m.hwnd(), kSwShowNormal);
  bool iconic = false;
  BoxUser boxUser(QMessageBox::Ok);
  QTimer user;
  int step = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  QObject::connect(&user, &QTimer::timeout, [&] {
    WindowListDialog* w = rig.app.main()->windowListDialogIfLoaded();
    QWidget* dialog = w ? rig.toolkit.widgetOf(*w) : nullptr;
    if (dialog && std::chrono::steady_clock::now() > deadline) dialog->close();  // gives up
    if (!dialog || !dialog->isVisible()) return;
    if (step == 0 && wmState(w->hwnd()) == 1) {
      // Tailing: a shorter wait than the user's, for the test's sake.
      w->tailTimer->setInterval(300);
      static_cast<QPushButton*>(rig.toolkit.widgetOf(*w->buttons[0]))->click();
      step = 1;
    } else if (step == 1 && wmState(w->hwnd()) == 3) {
      iconic = true;  // the window manager has minimized it
      step = 2;
    } else if (step == 2 && boxUser.answered() && wmState(w->hwnd()) == 1) {
      static_cast<QPushButton*>(rig.toolkit.widgetOf(*w->buttons[2]))->click();
      user.stop();
    }
  });
  user.start(5);
  static_cast<QPushButton*>(rig.toolkit.widgetOf(*m.dialogButtons[0]))
      ->click();  // returns when closed
  EXPECT_TRUE(iconic);
  ASSERT_TRUE(boxUser.seen());
  EXPECT_EQ(boxUser.seen()->text, "名簿に登録しました");
  EXPECT_EQ(rig.store.getSetting("Main", "WindowList0", ""), "XTerm");
  EXPECT_EQ(m.windowState(), WindowState::Normal);
}

}  // namespace
}  // namespace kivo::qt::test
