// kivo.exe end to end: the clock in the title of the window in front,
// repaired when the window retitles itself, given back when the window
// leaves the front and when the user logs off; a program that hangs in
// front does not stop the clock.
#include <gtest/gtest.h>

#include "tests/wine/e2e.h"

namespace kivo::e2e {
namespace {

TEST(CaptionE2E, RepairRestoreAHungWindowAndLoggingOff) {
  freshStore();
  TestWindow editor(L"KivoE2EEditor", L"Editor");
  // Japanese, a symbol, an emoji with its variation selector and a
  // character beyond the BMP (a surrogate pair): every one must survive.
  const std::wstring wide = L"日本語のウィンドウ ✔ 🕰️ 𠀋";
  TestWindow other(L"KivoE2EOther", wide);
  TestWindow hung(L"KivoE2EHung", L"Hung");
  ASSERT_TRUE(editor.bringToFront());
  KivoProcess kivo;

  // A fresh store puts the clock on the left with " = ".
  EXPECT_TRUE(editor.frontUntil([&] { return editor.decorated(); }, kStartUp)) << editor.text();

  // The window retitles itself: the clock is put back before the new title.
  editor.retitle(L"Editor - notes.txt");
  EXPECT_TRUE(editor.waitDecorated()) << editor.text();

  // Another window comes to the front: the editor gets its latest own title
  // back, and the new one the clock with its title intact.
  ASSERT_TRUE(other.bringToFront());
  EXPECT_TRUE(editor.waitOwnTitle()) << editor.text();
  EXPECT_TRUE(other.waitDecorated()) << other.text();

  // A program in front stops answering; the user switches to another one.
  // Kivo gives the hung one its title back (which it cannot take now) and
  // must still decorate the next one at once.
  ASSERT_TRUE(hung.bringToFront());
  ASSERT_TRUE(hung.waitDecorated()) << hung.text();
  hung.hang();
  ASSERT_TRUE(editor.bringToFront());
  const auto front = SteadyClock::now();
  EXPECT_TRUE(editor.waitDecorated()) << editor.text();
  const auto took = std::chrono::duration_cast<Ms>(SteadyClock::now() - front);
  EXPECT_LE(took.count(), 1000) << "the next window waited " << took.count() << " ms";
  hung.release();

  // Logging off ends Kivo (WM_QUERYENDSESSION only asks; WM_ENDSESSION
  // ends it), and the window in front gets its own title back. (The hung
  // one's give-back was lost while it hung.)
  const HWND main = kivo.mainWindow();
  ASSERT_NE(main, nullptr);
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &answer);
  SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &answer);
  ASSERT_TRUE(kivo.waitExit(10s));
  EXPECT_EQ(kivo.exitCode(), 0u);
  EXPECT_EQ(other.text(), wide);
  EXPECT_EQ(editor.text(), L"Editor - notes.txt");
}

}  // namespace
}  // namespace kivo::e2e
