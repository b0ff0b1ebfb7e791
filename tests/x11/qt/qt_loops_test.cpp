// The Qt toolkit's loops: timers go on in a box and never nest, DoEvents
// runs a due timer once, a modal dialog locks its owner until it closes,
// quit() leaves every loop and box with nothing running after it, handlers'
// exceptions reach the loop that ran them, the end of the session, watched
// descriptors, and the boxes' styles.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>

#include <unistd.h>

#include <csignal>
#include <thread>

#include "platform/errors.h"
#include "tests/x11/qt/qt_kinds_form.h"
#include "tests/x11/qt/qt_rig.h"

namespace kivo::qt::test {
namespace {

using ::testing::ElementsAre;

TEST(QtLoops, TimersGoOnInABoxAndAHandlerNeverNests) {
  QtToolkit tk(testArgc(), testArgv());
  TimersForm f(tk);
  f.load();
  int depth = 0, maxDepth = 0, answer = 0, aInBox = -1, bInBox = -1, aInEvents = -1, bInEvents = -1;
  // The box stays until the other timer has fired twenty times meanwhile.
  int bAtBox = 0;
  BoxUser user(QMessageBox::Ok, [&] { return f.bFires >= bAtBox + 20; });
  f.onA = [&] {
    maxDepth = std::max(maxDepth, ++depth);
    const int a0 = f.aFires, b0 = f.bFires;
    if (f.aFires == 1) {
      bAtBox = f.bFires;
      answer = tk.messageBox(f.hwnd(), "Kivo test: a box held open", "Kivo test",
                             kMbOkOnly | kMbIconInformation | kMbSystemModal);
      aInBox = f.aFires - a0, bInBox = f.bFires - b0;
    } else if (f.aFires == 2) {
      // The cuckoo count's way: time passes (a chime played to its end),
      // then the pending events are processed; and again.
      for (int i = 0; i < 500 && f.bFires < b0 + 5; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        tk.doEvents();
      }
      aInEvents = f.aFires - a0, bInEvents = f.bFires - b0;
    }
    --depth;
  };
  TimersForm::start(*f.b, 10);
  TimersForm::start(*f.a, 25);
  EXPECT_TRUE(pumpUntil(tk, [&] { return f.aFires >= 4; }));  // and it goes on afterwards
  EXPECT_EQ(answer, kIdOk);
  EXPECT_EQ(maxDepth, 1);
  EXPECT_EQ(aInBox, 0);
  EXPECT_GE(bInBox, 20);
  EXPECT_EQ(aInEvents, 0);
  EXPECT_GE(bInEvents, 5);
}

TEST(QtLoops, DoEventsRunsADueTimerOnceAndAStoppedOneNever) {
  QtToolkit tk(testArgc(), testArgv());
  TimersForm f(tk);
  f.load();
  TimersForm::start(*f.a, 60);
  TimersForm::start(*f.b, 60);
  // Three intervals pass with nothing processed; then one DoEvents runs
  // the due timer once (missed firings do not pile up), and the one
  // stopped meanwhile not at all.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  f.b->setEnabled(false);
  tk.doEvents();
  EXPECT_EQ(f.aFires, 1);
  EXPECT_EQ(f.bFires, 0);
}

TEST(QtLoops, AModalDialogLocksItsOwnerUntilItCloses) {
  QtToolkit tk(testArgc(), testArgv());
  TimersForm owner(tk, "frmOwner"), dialog(tk, "frmDialog");
  owner.load();
  owner.show();
  QWidget* ownerView = tk.widgetOf(owner);
  bool lockedMeanwhile = false;
  // The owner's timer goes on while the dialog runs, and closes it.
  owner.onA = [&] {
    if (owner.aFires < 3) return;
    owner.a->setEnabled(false);
    lockedMeanwhile = !ownerView->isEnabled();
    // The owner cannot be closed while the dialog is open; the dialog can.
    ownerView->close();
    tk.widgetOf(dialog)->close();
  };
  TimersForm::start(*owner.a, 20);
  dialog.showModal(owner.hwnd());
  EXPECT_TRUE(dialog.closed());
  EXPECT_FALSE(owner.closed());
  EXPECT_TRUE(lockedMeanwhile);
  EXPECT_TRUE(ownerView->isEnabled());

  // Hiding a modal dialog ends its modal run as well.
  TimersForm hidden(tk, "frmHidden");
  hidden.onA = [&] { hidden.hide(); };
  hidden.load();
  TimersForm::start(*hidden.a, 20);
  hidden.showModal(owner.hwnd());
  EXPECT_FALSE(hidden.visible());
  EXPECT_TRUE(ownerView->isEnabled());
}

TEST(QtLoops, QuitLeavesTheBoxTheDialogAndTheMainLoop) {
  QtToolkit tk(testArgc(), testArgv());
  TimersForm owner(tk, "frmOwner"), dialog(tk, "frmDialog");
  owner.load();
  dialog.load();
  int boxAnswer = -1, aAtQuit = 0;
  // In the dialog, a box waits; the other timer fires meanwhile and quits.
  dialog.onA = [&] {
    dialog.a->setEnabled(false);
    boxAnswer = tk.messageBox(dialog.hwnd(), "Kivo toolkit test", "Kivo", kMbOkOnly);
  };
  dialog.onB = [&] {
    if (dialog.bFires < 3) return;
    aAtQuit = dialog.aFires;
    tk.quit();
    EXPECT_EQ(tk.messageBox(0, "never shown", "Kivo", kMbOkOnly), 0);
  };
  TimersForm::start(*dialog.a, 10);
  TimersForm::start(*dialog.b, 30);
  TimersForm::start(*owner.a, 10);
  dialog.showModal(owner.hwnd());
  const int ownerFires = owner.aFires;
  EXPECT_EQ(boxAnswer, 0);  // the box was left
  EXPECT_FALSE(dialog.closed());
  for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_FALSE(qobject_cast<QMessageBox*>(w));
  EXPECT_EQ(tk.run(), 0);  // at once
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  tk.doEvents();
  QCoreApplication::processEvents();
  EXPECT_EQ(owner.aFires, ownerFires);
  EXPECT_EQ(dialog.aFires, aAtQuit);
  EXPECT_TRUE(tk.widgetOf(owner)->isEnabled());
}

TEST(QtLoops, TheMainLoopRunsUntilAHandlerQuitsAndThrowsWhatAHandlerThrew) {
  {
    QtToolkit tk(testArgc(), testArgv());
    TimersForm f(tk);
    f.load();
    f.onA = [&] {
      if (f.aFires == 5) tk.quit();
    };
    TimersForm::start(*f.a, 10);
    EXPECT_EQ(tk.run(), 0);
    EXPECT_EQ(f.aFires, 5);
  }
  // An error no procedure traps leaves the loop that dispatched it: the
  // modal loop inside the handler that opened the dialog, then the main
  // loop, where the program reports it.
  QtToolkit tk(testArgc(), testArgv());
  TimersForm owner(tk, "frmOwner"), dialog(tk, "frmDialog");
  owner.load();
  dialog.load();
  dialog.onA = [] { throw RuntimeError(6, "Overflow"); };
  owner.onA = [&] {
    owner.a->setEnabled(false);
    TimersForm::start(*dialog.a, 10);
    try {
      dialog.showModal(owner.hwnd());
    } catch (const RuntimeError& e) {
      EXPECT_EQ(e.number(), 6);
      dialog.a->setEnabled(false);
      throw RuntimeError(13, "Type mismatch");
    }
  };
  TimersForm::start(*owner.a, 10);
  try {
    tk.run();
    ADD_FAILURE() << "run() returned";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), 13);
  }
}

TEST(QtLoops, TheEndOfTheSessionEndsTheProgramOnce) {
  for (const bool bySignal : {true, false}) {
    QtToolkit tk(testArgc(), testArgv());
    TimersForm f(tk);
    f.load();
    int ends = 0;
    tk.onEndSession = [&] { ++ends; };
    if (bySignal) {
      // A termination signal, twice.
      std::raise(SIGTERM);
      std::raise(SIGHUP);
    } else {
      // The session manager's "die".
      QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit));
    }
    EXPECT_TRUE(pumpUntil(tk, [&] { return tk.quitRequested(); }));
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(tk.run(), 0);
  }
}

TEST(QtLoops, AWatchedDescriptorIsServedUntilQuit) {
  QtToolkit tk(testArgc(), testArgv());
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  int served = 0;
  tk.watchFd(fds[0], [&] {
    char c;
    if (read(fds[0], &c, 1) == 1) ++served;
  });
  ASSERT_EQ(write(fds[1], "x", 1), 1);
  EXPECT_TRUE(pumpUntil(tk, [&] { return served == 1; }));
  tk.quit();
  ASSERT_EQ(write(fds[1], "y", 1), 1);
  QCoreApplication::processEvents();
  EXPECT_EQ(served, 1);
  close(fds[0]);
  close(fds[1]);
}

TEST(QtLoops, AMessageBoxHasTheStylesButtonsIconAndDefault) {
  QtToolkit tk(testArgc(), testArgv());
  TimersForm owner(tk, "frmOwner");
  owner.load();
  owner.show();
  ASSERT_TRUE(pumpUntil(tk, [&] { return wmState(owner.hwnd()) == 1; }));
  using B = QMessageBox::StandardButton;
  struct Case {
    int style;
    Hwnd owner;
    B press;
    int answer;
    QMessageBox::Icon icon;
    std::vector<B> buttons;
    B byDefault;
    Qt::WindowModality modality;
    bool onTop;
  };
  const int alarm = kMbOkCancel | kMbIconInformation | kMbDefButton2 | kMbSystemModal;
  const std::vector<Case> cases{
      {kMbOkOnly | kMbIconStop | kMbSystemModal,
       0,
       B::Ok,
       kIdOk,
       QMessageBox::Critical,
       {B::Ok},
       B::Ok,
       Qt::ApplicationModal,
       true},
      {alarm,
       owner.hwnd(),
       B::Cancel,
       kIdCancel,
       QMessageBox::Information,
       {B::Ok, B::Cancel},
       B::Cancel,
       Qt::ApplicationModal,
       true},
      {alarm,
       0,
       B::Ok,
       kIdOk,
       QMessageBox::Information,
       {B::Ok, B::Cancel},
       B::Cancel,
       Qt::ApplicationModal,
       true},
      {kMbYesNo | kMbDefButton2,
       owner.hwnd(),
       B::Yes,
       kIdYes,
       QMessageBox::NoIcon,
       {B::Yes, B::No},
       B::No,
       Qt::WindowModal,
       false},
      {kMbYesNo | kMbIconQuestion,
       owner.hwnd(),
       B::No,
       kIdNo,
       QMessageBox::Question,
       {B::Yes, B::No},
       B::Yes,
       Qt::WindowModal,
       false},
      {kMbOkOnly | kMbIconExclamation | kMbSystemModal,
       0,
       B::Ok,
       kIdOk,
       QMessageBox::Warning,
       {B::Ok},
       B::Ok,
       Qt::ApplicationModal,
       true},
  };
  for (const Case& c : cases) {
    BoxUser user(c.press);
    EXPECT_EQ(tk.messageBox(c.owner, "一行目\r\n\r\n<Hint!> 二行目", "エラー - Kivo", c.style),
              c.answer)
        << "style " << c.style;
    ASSERT_TRUE(user.seen());
    const SeenBox& seen = *user.seen();
    EXPECT_EQ(seen.title, "エラー - Kivo");
    EXPECT_EQ(seen.text, "一行目\n\n<Hint!> 二行目");
    EXPECT_EQ(seen.icon, c.icon) << "style " << c.style;
    EXPECT_EQ(seen.buttons, c.buttons) << "style " << c.style;
    EXPECT_EQ(seen.defaultButton, c.byDefault) << "style " << c.style;
    EXPECT_EQ(seen.modality, c.modality) << "style " << c.style;
    EXPECT_EQ(seen.staysOnTop, c.onTop) << "style " << c.style;
    EXPECT_EQ(seen.hasParent, c.owner != 0) << "style " << c.style;
  }
  // A box over a hidden owner (the alarm over the hidden main window)
  // stands on its own, where it is seen.
  owner.hide();
  BoxUser user(B::Ok);
  EXPECT_EQ(tk.messageBox(owner.hwnd(), "起きて！", "Alarm - Kivo", alarm), kIdOk);
  ASSERT_TRUE(user.seen());
  EXPECT_FALSE(user.seen()->hasParent);
}

}  // namespace
}  // namespace kivo::qt::test
