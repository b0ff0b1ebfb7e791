// The user's input and the window manager's changes reach the models of the
// Qt toolkit's forms: clicks, typing, the list, access keys, Enter and Esc,
// the close box, minimizing, and modal dialogs over their owners.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <cstdlib>

#include "tests/x11/qt/qt_kinds_form.h"
#include "tests/x11/qt/qt_rig.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"
#include "ui/window_list_dialog.h"

namespace kivo::qt::test {
namespace {

using ::testing::IsEmpty;

// A click on the box or the round of a check box or option button.
void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(6, w->height() / 2)); }

// Shown, framed and in front: the window takes the keyboard.
bool upInFront(QtToolkit& tk, const Form& f) {
  QWidget* v = tk.widgetOf(f);
  return pumpUntil(tk, [&] { return v->isVisible() && v->isActiveWindow(); });
}

TEST(QtInput, TheUsersInputGoesThroughTheModel) {
  CountingToolkit tk;
  KindsForm f(tk);
  f.load();
  f.list->setRow(0, "a");
  f.list->setRow(1, "b");
  f.show();
  ASSERT_TRUE(upInFront(tk, f));

  click(tk.widgetOf(*f.check));
  click(tk.widgetOf(*f.opt[0]));
  click(tk.widgetOf(*f.opt[0]));  // selected already
  EXPECT_EQ(f.check->value(), 1);
  EXPECT_TRUE(f.opt[0]->value());
  EXPECT_EQ(f.checkClicks, 1);
  EXPECT_EQ(f.optionClicks, 1);

  // Typing is cut to the model's limit, and the box shows what it holds.
  auto* edit = static_cast<QLineEdit*>(tk.widgetOf(*f.box));
  QTest::keyClicks(edit, "1234");
  EXPECT_EQ(f.box->text(), "12");
  EXPECT_EQ(edit->text(), "12");

  // A click on the second row of the list.
  auto* list = static_cast<QListWidget*>(tk.widgetOf(*f.list));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(list->item(1)).center());
  EXPECT_EQ(f.list->listIndex(), 1);

  // An access key clicks its control; Enter and Esc press the default and
  // the cancel button wherever the focus is.
  QTest::keyClick(edit, Qt::Key_C, Qt::AltModifier);
  EXPECT_TRUE(pumpUntil(tk, [&] { return f.checkClicks == 2; }));
  EXPECT_EQ(f.check->value(), 0);
  QTest::keyClick(edit, Qt::Key_Return);
  QTest::keyClick(list, Qt::Key_Escape);
  EXPECT_EQ(f.okClicks, 1);
  EXPECT_EQ(f.cancelClicks, 1);

  // Out of reach behind a disabled frame.
  f.frame->setEnabled(false);
  click(tk.widgetOf(*f.check));
  EXPECT_EQ(f.checkClicks, 2);
  EXPECT_THAT(viewDifferences(tk, f), IsEmpty());

  // Tab visits the controls in the model's order.
  f.frame->setEnabled(true);
  tk.widgetOf(*f.check)->setFocus();
  std::vector<QWidget*> visited{QApplication::focusWidget()};
  for (int i = 0; i < 5; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    visited.push_back(QApplication::focusWidget());
  }
  EXPECT_EQ(visited, (std::vector<QWidget*>{tk.widgetOf(*f.check), tk.widgetOf(*f.opt[0]), edit,
                                            list, tk.widgetOf(*f.ok), tk.widgetOf(*f.cancel)}));
}

TEST(QtInput, AnAccessKeyTakenTwiceMovesTheFocusWithoutTicking) {
  Rig rig;
  rig.app.start();
  SettingsDialog& s = rig.app.main()->settingsDialog();
  s.show();
  ASSERT_TRUE(upInFront(rig.toolkit, s));
  QWidget* pika = rig.toolkit.widgetOf(*s.signalBoxes[0]);
  QWidget* furu = rig.toolkit.widgetOf(*s.signalBoxes[1]);
  pika->setFocus();
  const int pikaValue = s.signalBoxes[0]->value(), furuValue = s.signalBoxes[1]->value();
  // Each press gives the focus to the next of the two in turn (the shortcut
  // and the focus change happen within the key's delivery).
  std::vector<QWidget*> visited;
  for (int i = 0; i < 3; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_P, Qt::AltModifier);
    visited.push_back(QApplication::focusWidget());
  }
  EXPECT_TRUE(std::count(visited.begin(), visited.end(), furu) >= 1);
  EXPECT_TRUE(std::count(visited.begin(), visited.end(), pika) >= 1);
  EXPECT_NE(visited[1], visited[2]);
  EXPECT_EQ(s.signalBoxes[0]->value(), pikaValue);
  EXPECT_EQ(s.signalBoxes[1]->value(), furuValue);
  // A label's key moves to the control after it.
  QTest::keyClick(pika, Qt::Key_M, Qt::AltModifier);
  EXPECT_TRUE(rig.toolkit.widgetOf(*s.fields[3])->hasFocus());
}

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

  // The close box of a dialog unloads it; the main window's ends the program.
  SettingsDialog& s = rig.app.main()->settingsDialog();
  s.show();
  rig.toolkit.widgetOf(s)->close();
  EXPECT_TRUE(s.closed());
  rig.toolkit.widgetOf(m)->close();
  EXPECT_TRUE(rig.app.ended());
  EXPECT_TRUE(rig.toolkit.quitRequested());
}

TEST(QtInput, TheSettingsDialogRunsModalOverTheMainWindowUntilEscCancelsIt) {
  Rig rig;
  rig.app.start();
  ASSERT_TRUE(windowManagerCaughtUp(rig.toolkit));
  MainWindow& m = *rig.app.main();
  rig.toolkit.showOwnWindow(m.hwnd(), kSwShowNormal);
  QWidget* main = rig.toolkit.widgetOf(m);
  bool locked = false, closeRefused = false;
  // The user, from the dialog's loop: waits for it up with the main window
  // locked, tries to close the main window, then presses Esc in the dialog.
  QTimer user;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  QObject::connect(&user, &QTimer::timeout, [&] {
    SettingsDialog* s = rig.app.main()->settingsDialogIfLoaded();
    QWidget* dialog = s ? rig.toolkit.widgetOf(*s) : nullptr;
    if (dialog && std::chrono::steady_clock::now() > deadline) dialog->close();  // gives up
    if (!dialog || !dialog->isVisible() || main->isEnabled()) return;
    locked = true;
    main->close();
    closeRefused = !rig.app.ended();
    QTest::keyClick(dialog, Qt::Key_Escape);
    user.stop();
  });
  user.start(5);
  static_cast<QPushButton*>(rig.toolkit.widgetOf(*m.dialogButtons[1]))
      ->click();  // returns when closed
  EXPECT_TRUE(locked);
  EXPECT_TRUE(closeRefused);
  EXPECT_EQ(rig.app.main()->settingsDialogIfLoaded(), nullptr);
  EXPECT_TRUE(main->isEnabled());
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
