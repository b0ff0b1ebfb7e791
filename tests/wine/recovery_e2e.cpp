// kivo.exe end to end, runs that end badly. A run killed hard
// (TerminateProcess, what kill -9 is on Windows) leaves its clock in the
// window in front; the next start gives that window its own title back
// from the records in the registry. The fatal path (a
// run-time error no handler traps) gives the title back, shows its box,
// lets a new start start afresh and ends with status 1.
#include <gtest/gtest.h>

#include <string>

#include "tests/wine/e2e.h"

namespace kivo::e2e {
namespace {

TEST(RecoveryE2E, KilledRunsTitlesComeBackAtTheNextStart) {
  freshStore();
  TestWindow editor(L"KivoE2EEditor", L"Editor");
  TestWindow notes(L"KivoE2ENotes", L"Notes");
  ASSERT_TRUE(editor.bringToFront());
  {
    // Killed as a crash or kill -9 would: nothing of Kivo runs after.
    KivoProcess first;
    ASSERT_TRUE(editor.frontUntil([&] { return editor.decorated(); }, kStartUp)) << editor.text();
    ASSERT_TRUE(TerminateProcess(first.process(), 9));
    ASSERT_TRUE(first.waitExit(10s));
  }
  // Nobody gave the title back.
  EXPECT_TRUE(editor.decorated()) << editor.text();

  // The next start gives it back, though the editor is not even in front.
  ASSERT_TRUE(notes.bringToFront());
  KivoProcess second;
  EXPECT_TRUE(notes.frontUntil([&] { return notes.decorated(); }, kStartUp)) << notes.text();
  EXPECT_TRUE(editor.waitOwnTitle()) << editor.text();
  ASSERT_TRUE(second.close());
}

TEST(RecoveryE2E, AnUntrappedErrorGivesTheTitleBackAndEndsWithStatusOne) {
  freshStore();
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  const std::wstring trigger =
      std::wstring(folder) + L"kivo-e2e-raise-" + std::to_wstring(GetCurrentProcessId());
  DeleteFileW(trigger.c_str());
  TestWindow editor(L"KivoE2EEditor", L"Editor");
  ASSERT_TRUE(editor.bringToFront());
  SetEnvironmentVariableW(L"KIVO_TEST_UNTRAPPED_ERROR", trigger.c_str());
  KivoProcess kivo;
  SetEnvironmentVariableW(L"KIVO_TEST_UNTRAPPED_ERROR", nullptr);
  ASSERT_TRUE(editor.frontUntil([&] { return editor.decorated(); }, kStartUp));

  // The error: the editor's own title first, then the box, which stays.
  CloseHandle(CreateFileW(trigger.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  EXPECT_TRUE(editor.waitOwnTitle()) << editor.text();
  HWND box = nullptr;
  ASSERT_TRUE(waitFor([&] { return (box = kivo.messageBox(L"Kivo")) != nullptr; }, 5s));
  // (Found as soon as the box exists: its text may follow a moment later.)
  const std::wstring fatal = L"実行時エラー '5':\r\n\r\nInvalid procedure call or argument";
  // Its text is its static control's.
  const auto text = [&] { return windowText(GetDlgItem(box, 0xFFFF)); };
  EXPECT_TRUE(waitFor([&] { return text() == fatal; }, 2s)) << text();
  EXPECT_FALSE(kivo.waitExit(500ms)) << "the fatal box did not stay";

  // While it is up, a new start is a first start: it stays and runs the clock.
  KivoProcess next;
  EXPECT_FALSE(next.waitExit(2s)) << "the new start handed over to the dying instance";
  EXPECT_TRUE(editor.frontUntil([&] { return editor.decorated(); }, kStartUp)) << editor.text();

  click(findControl(box, L"OK"));
  ASSERT_TRUE(kivo.waitExit(10s));
  EXPECT_EQ(kivo.exitCode(), 1u);
  DeleteFileW(trigger.c_str());

  ASSERT_TRUE(next.close());
}

}  // namespace
}  // namespace kivo::e2e
