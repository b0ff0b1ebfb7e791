// kivo.exe end to end: windows that misbehave: one that hangs, one that
// retitles itself many times a second.
#include <gtest/gtest.h>

#include "tests/wine/e2e.h"

namespace kivo::e2e {
namespace {

TEST(RobustnessE2E, HungWindowDoesNotStopTheClock) {
  freshStore();
  TestWindow hung(L"KivoE2EHung", L"Hung");
  TestWindow next(L"KivoE2ENext", L"Next");
  ASSERT_TRUE(hung.bringToFront());
  KivoProcess kivo;
  ASSERT_TRUE(
      hung.frontUntil([&] { return decoratedLeft(hung.text(), L"Hung", L" = "); }, kStartUp));

  // The program in front stops answering; the user switches to another one.
  // Kivo gives the hung one its title back (which it cannot take now) and
  // must still decorate the next one at once.
  hung.hang();
  ASSERT_TRUE(next.bringToFront());
  const auto front = SteadyClock::now();
  EXPECT_TRUE(waitFor([&] { return decoratedLeft(next.text(), L"Next", L" = "); }, 5s))
      << next.text();
  const auto took = std::chrono::duration_cast<Ms>(SteadyClock::now() - front);
  EXPECT_LE(took.count(), 1000) << "the next window waited " << took.count() << " ms";

  hung.release();
  const HWND main = kivo.mainWindow();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(kivo.waitExit(10s));
  EXPECT_EQ(next.text(), L"Next");
}

TEST(RobustnessE2E, SelfRetitlingWindowIsRepairedOncePerTick) {
  freshStore();
  TestWindow busy(L"KivoE2EBusy", L"Busy 0");
  ASSERT_TRUE(busy.bringToFront());
  KivoProcess kivo;
  ASSERT_TRUE(
      busy.frontUntil([&] { return decoratedLeft(busy.text(), L"Busy 0", L" = "); }, kStartUp));

  // The window rewrites its own title every 10 ms, five times per tick of
  // 50 ms. Kivo repairs the title at most once per tick; more would be a
  // fight with the window (flicker and a busy processor).
  const int before = busy.foreignSetTexts();
  const int ownBefore = busy.ownRetitles();
  const auto start = SteadyClock::now();
  busy.startRetitling(10);
  // Measured over 150 of the window's own retitles (1.5 s or more).
  ASSERT_TRUE(waitFor([&] { return busy.ownRetitles() - ownBefore >= 150; }, 15s));
  const int writes = busy.foreignSetTexts() - before;
  const auto elapsed = std::chrono::duration_cast<Ms>(SteadyClock::now() - start).count();
  busy.stopRetitling();
  // Kivo kept repairing the title all along...
  EXPECT_GE(writes, 10) << writes << " writes in " << elapsed << " ms";
  // ... with one write per 50 ms tick at most, and a tick's worth of slack
  // at either end.
  EXPECT_LE(writes, elapsed / 50 + 2) << writes << " writes in " << elapsed << " ms";

  const HWND main = kivo.mainWindow();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(kivo.waitExit(10s));
  EXPECT_EQ(busy.text().find(L" = "), std::wstring::npos) << busy.text();
}

}  // namespace
}  // namespace kivo::e2e
