// The Qt toolkit's loops beyond the toolkit contract suite: handlers'
// exceptions reach the loop that ran them, the end of the session, watched
// descriptors, and the boxes' styles.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>

#include <unistd.h>

#include <csignal>

#include "platform/errors.h"
#include "tests/x11/qt/qt_rig.h"

namespace kivo::qt::test {
namespace {

using contract::TimersForm;

TEST(QtLoops, TheMainLoopThrowsWhatAHandlerThrew) {
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
  using I = QMessageBox;
  const Hwnd own = owner.hwnd();
  const auto app = Qt::ApplicationModal, win = Qt::WindowModal;
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
  const int stop = kMbOkOnly | kMbIconStop | kMbSystemModal;
  const int alarm = kMbOkCancel | kMbIconInformation | kMbDefButton2 | kMbSystemModal;
  const int warning = kMbOkOnly | kMbIconExclamation | kMbSystemModal;
  const int yesNo = kMbYesNo | kMbDefButton2, question = kMbYesNo | kMbIconQuestion;
  const std::vector<Case> cases{
      {stop, 0, B::Ok, kIdOk, I::Critical, {B::Ok}, B::Ok, app, true},
      {alarm, own, B::Cancel, kIdCancel, I::Information, {B::Ok, B::Cancel}, B::Cancel, app, true},
      {alarm, 0, B::Ok, kIdOk, I::Information, {B::Ok, B::Cancel}, B::Cancel, app, true},
      {yesNo, own, B::Yes, kIdYes, I::NoIcon, {B::Yes, B::No}, B::No, win, false},
      {question, own, B::No, kIdNo, I::Question, {B::Yes, B::No}, B::Yes, win, false},
      {warning, 0, B::Ok, kIdOk, I::Warning, {B::Ok}, B::Ok, app, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("style " + std::to_string(c.style));
    BoxUser user(c.press);
    EXPECT_EQ(tk.messageBox(c.owner, "一行目\r\n\r\n<Hint!> 二行目", "エラー - Kivo", c.style),
              c.answer);
    ASSERT_TRUE(user.seen());
    const SeenBox& seen = *user.seen();
    EXPECT_EQ(seen.title, "エラー - Kivo");
    EXPECT_EQ(seen.text, "一行目\n\n<Hint!> 二行目");
    EXPECT_EQ(seen.icon, c.icon);
    EXPECT_EQ(seen.buttons, c.buttons);
    EXPECT_EQ(seen.defaultButton, c.byDefault);
    EXPECT_EQ(seen.modality, c.modality);
    EXPECT_EQ(seen.staysOnTop, c.onTop);
    EXPECT_EQ(seen.hasParent, c.owner != 0);
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
