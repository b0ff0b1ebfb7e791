// The Win32 toolkit's loops beyond the toolkit contract suite: a stopped
// timer's queued WM_TIMER is dropped, and the end of the session (or a quit
// the program did not ask for) ends the program once.
#include <gtest/gtest.h>

#include "tests/wine/toolkit/toolkit_rig.h"

namespace kivo::win32::test {
namespace {

using contract::TimersForm;

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
