// kivo.exe end to end: the hourly shake and the daily alarm. Both run on a
// clock that Wine is made to see (wine-run.sh's KIVO_FAKETIME, libfaketime):
// 2024-03-05, starting a few seconds before the full hour or the alarm
// minute, so that no test waits for a real one.
#include <gtest/gtest.h>

#include "tests/wine/e2e.h"

namespace kivo::e2e {
namespace {

SYSTEMTIME localTime() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return now;
}

// Wine's clock must be the test's (the date of KIVO_FAKETIME). Started by
// hand without that clock the cases are skipped; with KIVO_FAKETIME set, a
// clock that did not move is a failure.
class SignalsE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    const SYSTEMTIME now = localTime();
    const bool onTestClock = now.wYear == 2024 && now.wMonth == 3 && now.wDay == 5;
    if (GetEnvironmentVariableW(L"KIVO_FAKETIME", nullptr, 0) > 0) {
      ASSERT_TRUE(onTestClock) << "KIVO_FAKETIME did not move Wine's clock";
    } else if (!onTestClock) {
      GTEST_SKIP() << "needs KIVO_FAKETIME (scripts/wine-run.sh, see tests/wine/CMakeLists.txt)";
    }
  }
};

TEST_F(SignalsE2E, FullHourShakesTheWindowInFront) {
  freshStore();
  // Two rounds of four moves, 45 twips (3 pixels at 96 dpi) each way.
  store::set(L"Main", L"TimeFuru", L"1");
  store::set(L"Main", L"TimeFuruCount", L"1");
  store::set(L"Main", L"VibrateWidth", L"45");
  TestWindow editor(L"KivoE2EEditor", L"Editor");
  ASSERT_TRUE(editor.bringToFront());
  const RECT before = editor.rect();
  const int movesBefore = editor.moves();
  KivoProcess kivo;
  ASSERT_TRUE(
      editor.frontUntil([&] { return decoratedLeft(editor.text(), L"Editor", L" = "); }, kStartUp));

  // At 15:00 (or on the first tick after it) the window is moved 8 times
  // and ends 3 pixels above where it was.
  EXPECT_TRUE(waitFor([&] { return editor.moves() - movesBefore >= 8; }, 40s))
      << editor.moves() - movesBefore << " moves by " << localTime().wHour << ":"
      << localTime().wMinute;
  const RECT after = editor.rect();
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top - 3);
  EXPECT_EQ(after.right - after.left, before.right - before.left);
  // Once per hour: no second shake while minute 00 lasts.
  const int moves = editor.moves();
  editor.retitle(L"Editor 2");  // a caption change runs the signal check again
  EXPECT_TRUE(waitFor([&] { return decoratedLeft(editor.text(), L"Editor 2", L" = "); }, 2s));
  EXPECT_EQ(editor.moves(), moves);

  PostMessageW(kivo.mainWindow(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(kivo.waitExit(10s));
  EXPECT_EQ(editor.text(), L"Editor 2");
}

TEST_F(SignalsE2E, AlarmMinuteShowsTheMessage) {
  freshStore();
  store::set(L"Main", L"Alarm", L"1");
  store::set(L"Main", L"AlarmTime", L"06:18");
  const std::wstring message = L"起きて! e2e";
  store::set(L"Main", L"AlarmMessage", message);
  TestWindow editor(L"KivoE2EEditor", L"Editor");
  ASSERT_TRUE(editor.bringToFront());
  KivoProcess kivo;
  ASSERT_TRUE(
      editor.frontUntil([&] { return decoratedLeft(editor.text(), L"Editor", L" = "); }, kStartUp));
  // The alarm is given on a minute change while one window stays in front:
  // the window must have its clock before 06:18.
  const SYSTEMTIME decorated = localTime();
  ASSERT_TRUE(decorated.wHour == 6 && decorated.wMinute == 17)
      << "start-up took until " << decorated.wHour << ":" << decorated.wMinute << ":"
      << decorated.wSecond << "; start the clock earlier";

  HWND box = nullptr;
  ASSERT_TRUE(waitFor([&] { return (box = kivo.messageBox(L"Alarm - Kivo")) != nullptr; }, 40s));
  // The box's window comes first, then its text.
  EXPECT_TRUE(waitFor([&] { return findControl(box, message) != nullptr; }, 5s))
      << "the alarm box does not show the message";
  // OK ends the alarm; the clock goes on.
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(waitFor([&] { return !IsWindow(box); }, 5s));
  ASSERT_TRUE(editor.bringToFront());
  EXPECT_TRUE(waitFor([&] { return decoratedLeft(editor.text(), L"Editor", L" = "); }, 5s))
      << editor.text();
  EXPECT_NE(editor.text().find(L"6:18,Mar,5"), std::wstring::npos) << editor.text();

  PostMessageW(kivo.mainWindow(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(kivo.waitExit(10s));
  EXPECT_EQ(editor.text(), L"Editor");
}

}  // namespace
}  // namespace kivo::e2e
