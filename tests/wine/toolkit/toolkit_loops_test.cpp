// The Win32 toolkit's loops: timers that are stopped never fire, a modal
// dialog locks its owner until it closes, and quit() leaves every loop and
// box with nothing running after it.
#include <gtest/gtest.h>

#include "tests/wine/toolkit/toolkit_rig.h"

namespace kivo::win32::test {
namespace {

using std::chrono::milliseconds;

class TimersForm : public Form {
 public:
  explicit TimersForm(Toolkit& tk, std::string name = "frmTimers")
      : Form(tk, std::move(name), "Timers", 3000, 2000, BorderStyle::FixedDialog) {
    a = &add<Timer>("tmrA", -1, "", {});
    b = &add<Timer>("tmrB", -1, "", {});
    a->onTimer = [this] {
      ++aFires;
      if (onA) onA();
    };
    b->onTimer = [this] {
      ++bFires;
      if (onB) onB();
    };
  }
  static void start(Timer& t, int ms) {
    t.setInterval(ms);
    t.setEnabled(true);
  }
  Timer *a, *b;
  int aFires = 0, bFires = 0;
  std::function<void()> onA, onB;
};

bool timerMessageQueued() {
  MSG msg;
  return PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE) != 0;
}

TEST(Win32Loops, AStoppedTimersQueuedMessageIsDropped) {
  Win32Toolkit tk(GetModuleHandleW(nullptr));
  TimersForm f(tk);
  f.load();
  TimersForm::start(*f.b, 10);
  bool queued = false;
  f.onA = [&] {
    // Restarted, then stopped once its message is in the queue already
    // (the other timer paused meanwhile, so the message is this one's).
    f.b->setEnabled(false);
    f.a->setInterval(11);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!(queued = timerMessageQueued()) && std::chrono::steady_clock::now() < end) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_TIMER);
    }
    f.a->setEnabled(false);
    f.b->setEnabled(true);
  };
  TimersForm::start(*f.a, 10);
  ASSERT_TRUE(pumpUntil(tk, [&] { return f.aFires == 1; }));
  const int until = f.bFires + 20;
  ASSERT_TRUE(pumpUntil(tk, [&] { return f.bFires >= until; }));
  EXPECT_TRUE(queued);
  EXPECT_EQ(f.aFires, 1);
}

TEST(Win32Loops, AModalDialogLocksItsOwnerUntilItCloses) {
  Win32Toolkit tk(GetModuleHandleW(nullptr));
  TimersForm owner(tk, "frmOwner"), dialog(tk, "frmDialog");
  owner.load();
  owner.show();
  const HWND ownerWnd = tk.windowOf(owner);
  bool lockedMeanwhile = false;
  // The owner's timer goes on while the dialog runs, and closes it.
  owner.onA = [&] {
    if (owner.aFires < 3) return;
    lockedMeanwhile = !IsWindowEnabled(ownerWnd);
    // The owner cannot be closed while the dialog is open; the dialog can.
    SendMessageW(ownerWnd, WM_CLOSE, 0, 0);
    PostMessageW(tk.windowOf(dialog), WM_CLOSE, 0, 0);
  };
  TimersForm::start(*owner.a, 20);
  dialog.showModal(owner.hwnd());
  EXPECT_TRUE(dialog.closed());
  EXPECT_FALSE(owner.closed());
  EXPECT_TRUE(lockedMeanwhile);
  EXPECT_TRUE(IsWindowEnabled(ownerWnd));
}

TEST(Win32Loops, QuitLeavesTheBoxTheDialogAndTheMainLoop) {
  Win32Toolkit tk(GetModuleHandleW(nullptr));
  TimersForm owner(tk, "frmOwner"), dialog(tk, "frmDialog");
  owner.load();
  dialog.load();
  int boxAnswer = -1;
  int aAtQuit = 0;
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
  EXPECT_NE(boxAnswer, -1);  // the box was left
  EXPECT_FALSE(dialog.closed());
  EXPECT_EQ(tk.run(), 0);  // at once
  tk.doEvents();
  EXPECT_EQ(owner.aFires, ownerFires);
  EXPECT_EQ(dialog.aFires, aAtQuit);
}

TEST(Win32Loops, TheMainLoopRunsUntilAHandlerQuits) {
  Win32Toolkit tk(GetModuleHandleW(nullptr));
  TimersForm f(tk);
  f.load();
  f.onA = [&] {
    if (f.aFires == 5) tk.quit();
  };
  TimersForm::start(*f.a, 10);
  EXPECT_EQ(tk.run(), 0);
  EXPECT_EQ(f.aFires, 5);
}

TEST(Win32Loops, TheEndOfTheSessionEndsTheProgramOnce) {
  Win32Toolkit tk(GetModuleHandleW(nullptr));
  TimersForm f(tk);
  f.load();
  int ends = 0;
  tk.onEndSession = [&] {
    ++ends;
    tk.quit();
  };
  // The query only agrees: another program may still cancel the logout.
  EXPECT_EQ(SendMessageW(tk.windowOf(f), WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_EQ(ends, 0);
  SendMessageW(tk.windowOf(f), WM_ENDSESSION, FALSE, 0);
  EXPECT_EQ(ends, 0);
  SendMessageW(tk.windowOf(f), WM_ENDSESSION, TRUE, 0);
  SendMessageW(tk.windowOf(f), WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(ends, 1);
  EXPECT_TRUE(tk.quitRequested());
}

TEST(Win32Loops, AQuitTheProgramDidNotAskForEndsItAsTheSessionsEndDoes) {
  Win32Toolkit tk(GetModuleHandleW(nullptr));
  TimersForm f(tk);
  f.load();
  int ends = 0;
  tk.onEndSession = [&] { ++ends; };
  f.onA = [&] { PostQuitMessage(0); };
  TimersForm::start(*f.a, 10);
  EXPECT_EQ(tk.run(), 0);
  EXPECT_EQ(ends, 1);
  EXPECT_TRUE(tk.quitRequested());
}

}  // namespace
}  // namespace kivo::win32::test
