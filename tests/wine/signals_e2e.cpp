// kivo.exe end to end: the hourly shake, on a clock that Wine is made to
// see (wine-run.sh's KIVO_FAKETIME, libfaketime): 2024-03-05, starting a
// few seconds before the full hour, so that no test waits for a real one.
#include <gtest/gtest.h>

#include "tests/wine/e2e.h"

namespace kivo::e2e {
namespace {

SYSTEMTIME localTime() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return now;
}

TEST(SignalsE2E, FullHourShakesTheWindowInFront) {
  // Wine's clock must be the test's (the date of KIVO_FAKETIME).
  const SYSTEMTIME now = localTime();
  ASSERT_TRUE(now.wYear == 2024 && now.wMonth == 3 && now.wDay == 5)
      << "KIVO_FAKETIME did not move Wine's clock (scripts/wine-run.sh, tests/wine/CMakeLists.txt)";
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
  ASSERT_TRUE(editor.frontUntil([&] { return editor.decorated(); }, kStartUp));

  // At 15:00 (or on the first tick after it) the window is moved 8 times
  // and ends 3 pixels above where it was (the twips in pixels of this
  // display; the way round is the signal tests').
  EXPECT_TRUE(waitFor([&] { return editor.moves() - movesBefore >= 8; }, 40s))
      << editor.moves() - movesBefore << " moves by " << localTime().wHour << ":"
      << localTime().wMinute;
  EXPECT_EQ(editor.rect().top, before.top - 3);
  // Once per hour: no second shake while minute 00 lasts. The clock shows
  // the local time Wine sees.
  const int moves = editor.moves();
  editor.retitle(L"Editor 2");  // a caption change runs the signal check again
  EXPECT_TRUE(editor.waitDecorated());
  EXPECT_NE(editor.text().find(L"15:00,Mar,5 = "), std::wstring::npos) << editor.text();
  EXPECT_EQ(editor.moves(), moves);

  ASSERT_TRUE(kivo.close());
}

}  // namespace
}  // namespace kivo::e2e
