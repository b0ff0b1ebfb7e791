// The Win32 toolkit's loops beyond the toolkit contract suite: the end of
// the session (or a quit the program did not ask for) ends the program
// once.
#include <gtest/gtest.h>

#include "tests/wine/toolkit/toolkit_rig.h"

namespace kivo::win32::test {
namespace {

using contract::TimersForm;

TEST(Win32Loops, TheEndOfTheSessionOrAQuitNotAskedForEndsTheProgramOnce) {
  for (const bool bySession : {true, false}) {
    Win32Toolkit tk(GetModuleHandleW(nullptr));
    TimersForm f(tk);
    f.load();
    int ends = 0;
    tk.onEndSession = [&] {
      ++ends;
      tk.quit();
    };
    if (bySession) {
      // The query only agrees: another program may still cancel the logout.
      EXPECT_EQ(SendMessageW(tk.windowOf(f), WM_QUERYENDSESSION, 0, 0), TRUE);
      EXPECT_EQ(ends, 0);
      SendMessageW(tk.windowOf(f), WM_ENDSESSION, FALSE, 0);
      EXPECT_EQ(ends, 0);
      SendMessageW(tk.windowOf(f), WM_ENDSESSION, TRUE, 0);
      SendMessageW(tk.windowOf(f), WM_ENDSESSION, TRUE, 0);
    } else {
      // Another program's WM_QUIT.
      f.onA = [&] { PostQuitMessage(0); };
      TimersForm::start(*f.a, 10);
      EXPECT_EQ(tk.run(), 0);
    }
    EXPECT_EQ(ends, 1) << (bySession ? "the end of the session" : "a quit");
    EXPECT_TRUE(tk.quitRequested());
  }
}

}  // namespace
}  // namespace kivo::win32::test
