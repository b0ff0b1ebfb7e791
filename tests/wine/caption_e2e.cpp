// kivo.exe end to end: the clock in the title of the window in front,
// repaired when the window retitles itself, given back when the window
// leaves the front and when the user logs off.
#include <gtest/gtest.h>

#include "tests/wine/e2e.h"

namespace kivo::e2e {
namespace {

TEST(CaptionE2E, RepairRestoreAndLoggingOff) {
  freshStore();
  TestWindow editor(L"KivoE2EEditor", L"Editor");
  // Japanese, a symbol, an emoji with its variation selector and a
  // character beyond the BMP (a surrogate pair): every one must survive.
  const std::wstring wide = L"日本語のウィンドウ ✔ 🕰️ 𠀋";
  TestWindow other(L"KivoE2EOther", wide);
  ASSERT_TRUE(editor.bringToFront());
  KivoProcess kivo;

  // A fresh store puts the clock on the left with " = ".
  EXPECT_TRUE(
      editor.frontUntil([&] { return decoratedLeft(editor.text(), L"Editor", L" = "); }, kStartUp))
      << editor.text();

  // The window retitles itself: the clock is put back before the new title.
  editor.retitle(L"Editor - notes.txt");
  EXPECT_TRUE(
      waitFor([&] { return decoratedLeft(editor.text(), L"Editor - notes.txt", L" = "); }, 2s))
      << editor.text();

  // A title of its own that holds the very clock text (a build log's "at
  // 6:17,Dec,7") is the window's whole title, not a clock of ours to cut.
  const std::wstring clock = editor.text().substr(0, editor.text().find(L" = "));
  const std::wstring logTitle = L"build finished at " + clock;
  editor.retitle(logTitle);
  EXPECT_TRUE(waitFor([&] { return decoratedLeft(editor.text(), logTitle, L" = "); }, 2s))
      << editor.text();
  ASSERT_TRUE(other.bringToFront());
  EXPECT_TRUE(waitFor([&] { return editor.text() == logTitle; }, 2s)) << editor.text();
  ASSERT_TRUE(editor.bringToFront());
  editor.retitle(L"Editor - notes.txt");
  EXPECT_TRUE(
      waitFor([&] { return decoratedLeft(editor.text(), L"Editor - notes.txt", L" = "); }, 2s))
      << editor.text();

  // Another window comes to the front: the editor gets its latest own title
  // back, and the new one the clock with its title intact.
  ASSERT_TRUE(other.bringToFront());
  EXPECT_TRUE(waitFor([&] { return editor.text() == L"Editor - notes.txt"; }, 2s)) << editor.text();
  EXPECT_TRUE(waitFor([&] { return decoratedLeft(other.text(), wide, L" = "); }, 2s))
      << other.text();

  // Logging off ends Kivo (WM_QUERYENDSESSION only asks; WM_ENDSESSION
  // ends it), and the window in front gets its own title back.
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
