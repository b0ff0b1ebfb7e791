// kivo.exe end to end: a run killed hard (TerminateProcess, what kill -9 is
// on Windows) leaves its clock in the window in front; the next start gives
// that window its own title back, and leaves a window alone that retitled
// itself meanwhile.
#include <gtest/gtest.h>

#include "tests/wine/e2e.h"

namespace kivo::e2e {
namespace {

// Kills the process as a crash or kill -9 would: nothing of Kivo runs after.
void killHard(KivoProcess& kivo) {
  ASSERT_TRUE(TerminateProcess(kivo.process(), 9));
  ASSERT_TRUE(kivo.waitExit(10s));
}

TEST(RecoveryE2E, KilledRunsTitlesComeBackAtTheNextStart) {
  freshStore();
  TestWindow editor(L"KivoE2EEditor", L"Editor");
  TestWindow notes(L"KivoE2ENotes", L"Notes");
  ASSERT_TRUE(editor.bringToFront());
  {
    KivoProcess first;
    ASSERT_TRUE(editor.frontUntil([&] { return decoratedLeft(editor.text(), L"Editor", L" = "); },
                                  kStartUp))
        << editor.text();
    killHard(first);
  }
  // Nobody gave the title back.
  EXPECT_TRUE(decoratedLeft(editor.text(), L"Editor", L" = ")) << editor.text();

  // The next start gives it back, though the editor is not even in front,
  // and decorates it with one clock when it comes to the front.
  ASSERT_TRUE(notes.bringToFront());
  {
    KivoProcess second;
    EXPECT_TRUE(
        notes.frontUntil([&] { return decoratedLeft(notes.text(), L"Notes", L" = "); }, kStartUp))
        << notes.text();
    EXPECT_TRUE(waitFor([&] { return editor.text() == L"Editor"; }, 5s)) << editor.text();
    ASSERT_TRUE(editor.bringToFront());
    EXPECT_TRUE(waitFor([&] { return decoratedLeft(editor.text(), L"Editor", L" = "); }, 5s))
        << editor.text();
    EXPECT_TRUE(waitFor([&] { return notes.text() == L"Notes"; }, 5s)) << notes.text();
    killHard(second);
  }

  // While no Kivo runs, the editor retitles itself: the title it chose is
  // its own, and the next start must not write the old one over it.
  editor.retitle(L"Editor 2");
  ASSERT_TRUE(notes.bringToFront());
  const int writesBefore = editor.foreignSetTexts();
  KivoProcess third;
  EXPECT_TRUE(
      notes.frontUntil([&] { return decoratedLeft(notes.text(), L"Notes", L" = "); }, kStartUp))
      << notes.text();
  const HWND main = third.mainWindow();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(third.waitExit(10s));
  EXPECT_EQ(third.exitCode(), 0u);
  EXPECT_EQ(notes.text(), L"Notes");
  EXPECT_EQ(editor.text(), L"Editor 2");
  EXPECT_EQ(editor.foreignSetTexts(), writesBefore) << "Kivo wrote the editor's title";
}

}  // namespace
}  // namespace kivo::e2e
