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
  // The answers are the message box contract's (kivo_contract_x11); here,
  // how each box looks. A system-modal box is application-modal and on top.
  struct Case {
    int style;
    Hwnd owner;
    QMessageBox::Icon icon;
    std::vector<B> buttons;
    B byDefault;
  };
  const int alarm = kMbOkCancel | kMbIconInformation | kMbDefButton2 | kMbSystemModal;
  const std::vector<Case> cases{
      {kMbOkOnly | kMbIconStop | kMbSystemModal, 0, I::Critical, {B::Ok}, B::Ok},
      {alarm, own, I::Information, {B::Ok, B::Cancel}, B::Cancel},
      {kMbYesNo | kMbDefButton2, own, I::NoIcon, {B::Yes, B::No}, B::No},
      {kMbYesNo | kMbIconQuestion, own, I::Question, {B::Yes, B::No}, B::Yes},
      {kMbOkOnly | kMbIconExclamation | kMbSystemModal, 0, I::Warning, {B::Ok}, B::Ok},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("style " + std::to_string(c.style));
    BoxUser user(c.byDefault);
    tk.messageBox(c.owner, "一行目\r\n\r\n<Hint!> 二行目", "エラー - Kivo", c.style);
    ASSERT_TRUE(user.seen());
    const SeenBox& seen = *user.seen();
    const bool system = (c.style & kMbSystemModal) != 0;
    EXPECT_EQ(seen.title, "エラー - Kivo");
    EXPECT_EQ(seen.text, "一行目\n\n<Hint!> 二行目");
    EXPECT_EQ(seen.icon, c.icon);
    EXPECT_EQ(seen.buttons, c.buttons);
    EXPECT_EQ(seen.defaultButton, c.byDefault);
    EXPECT_EQ(seen.modality, system ? Qt::ApplicationModal : Qt::WindowModal);
    EXPECT_EQ(seen.staysOnTop, system);
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
