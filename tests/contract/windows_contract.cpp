// The window functions' promises: "nothing" results for no window, titles
// that survive every script, find window, foreground and moves.
#include <string>

#include "platform/text.h"
#include "tests/contract/contract.h"
#include "tests/contract/test_window.h"

namespace kivo::contract {
namespace {

bool sameRect(const Rect& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Every read of `h` gives its "nothing" result, and every write, show, move,
// activation and flash of it returns quietly without touching `witness`.
void expectNothingFor(Hwnd h, const TestWindow& witness) {
  WindowSystem& ws = backend().windows();
  EXPECT_EQ(ws.getWindowTextLength(h), 0);
  EXPECT_EQ(ws.getWindowText(h, 256), "");
  std::string cls = "left over";
  EXPECT_EQ(ws.getClassName(h, cls, 256), 0);
  EXPECT_EQ(cls, "");
  Rect rect{1, 2, 3, 4};
  EXPECT_FALSE(ws.getWindowRect(h, rect));
  EXPECT_TRUE(sameRect(rect, Rect{1, 2, 3, 4})) << "the rectangle must stay untouched";

  Rect witnessRect;
  ASSERT_TRUE(ws.getWindowRect(witness.get(), witnessRect));
  EXPECT_NO_THROW({
    ws.setWindowText(h, "Kivo contract: written to no window");
    ws.showWindow(h, kSwHide);
    ws.showWindow(h, kSwShowNormal);
    ws.setWindowPos(h, kHwndTopmost, 7, 9, 0, 0, kSwpNoSize);
    ws.setWindowPos(h, kHwndNoTopmost, 0, 0, 0, 0, kSwpNoSize | kSwpNoMove);
    ws.setForegroundWindow(h);
    ws.flashWindow(h, true);
    ws.flashWindow(h, false);
  });
  EXPECT_EQ(ws.getWindowText(witness.get(), 256), witness.title());
  Rect after;
  EXPECT_TRUE(ws.getWindowRect(witness.get(), after));
  EXPECT_TRUE(sameRect(after, witnessRect)) << "a move of no window moved another";
}

TEST(WindowsContract, NothingForNoWindowOrOneThatHasJustVanished) {
  TestWindow witness('W', "Kivo contract witness " + runToken());
  TestWindow gone('V', "Kivo contract vanishing " + runToken());
  ASSERT_NE(witness.get(), 0u);
  ASSERT_NE(gone.get(), 0u);
  expectNothingFor(0, witness);
  const Hwnd h = gone.get();
  gone.destroy();
  expectNothingFor(h, witness);
  EXPECT_EQ(backend().windows().findWindow(gone.className(), gone.title()), 0u);
}

// Latin-1, Japanese and characters outside the Basic Multilingual Plane:
// written, read back equal and cut by the buffer in characters (one each,
// whatever the backend's own unit), found by it; and roundTrip tells the
// engine exactly what it will read back, so a caption it wrote compares
// equal. A class name is cut the same way.
TEST(WindowsContract, TitlesInEveryScriptAreLosslessAndCutInCharacters) {
  WindowSystem& ws = backend().windows();
  // Every buffer size around the length.
  const auto expectCut = [](const std::string& whole, const auto& read) {
    const int length = static_cast<int>(text::length(whole));
    for (int buffer = 0; buffer <= length + 2; ++buffer) {
      EXPECT_EQ(read(buffer), buffer <= 1 ? "" : text::left(whole, buffer - 1))
          << "buffer of " << buffer;
    }
  };
  for (const std::string sample : {"Café Zürich © ±½ ÿ", "メモ帳 - 無題 ｶﾅ", "時計🕐Kivo𠮷野 🌙"}) {
    TestWindow w('T', "Kivo contract titles " + runToken());
    ASSERT_NE(w.get(), 0u);
    const std::string title = sample + " " + runToken();
    ws.setWindowText(w.get(), title);
    EXPECT_GE(ws.getWindowTextLength(w.get()), static_cast<int>(text::length(title)));
    expectCut(title, [&](int buffer) { return ws.getWindowText(w.get(), buffer); });
    EXPECT_EQ(ws.roundTrip(w.get(), title), title);
    // What follows a NUL (the one that ends every composed caption) stays.
    EXPECT_EQ(ws.roundTrip(w.get(), title + '\0'), title + '\0');
    EXPECT_EQ(ws.findWindow(w.className(), title), w.get());
    expectCut(w.className(), [&](int buffer) {
      std::string out = "left over";
      const int length = ws.getClassName(w.get(), out, buffer);
      EXPECT_EQ(length, static_cast<int>(text::length(out)));
      return out;
    });
  }
}

TEST(WindowsContract, FindWindowByExactClassAndTitleCutAtItsFirstNul) {
  const std::string title = "Kivo contract find " + runToken();
  TestWindow a('A', title);
  TestWindow b('B', title + " (b)");
  ASSERT_NE(a.get(), 0u);
  ASSERT_NE(b.get(), 0u);
  WindowSystem& ws = backend().windows();
  EXPECT_EQ(ws.findWindow(a.className(), title), a.get());
  EXPECT_EQ(ws.findWindow(b.className(), title + " (b)"), b.get());
  // A prefix or an extension of the title, or another class, finds nothing.
  // (Case is not compared here: Windows compares titles without it.)
  EXPECT_EQ(ws.findWindow(a.className(), text::left(title, text::length(title) - 1)), 0u);
  EXPECT_EQ(ws.findWindow(a.className(), title + " (b)"), 0u);
  EXPECT_EQ(ws.findWindow(b.className(), title), 0u);
  EXPECT_EQ(ws.findWindow("KivoContractNone" + runToken(), title), 0u);

  // The title it has now, not the one it was made with, cut at its first
  // NUL: one inside, or the one that ends every caption the engine composes.
  ws.setWindowText(a.get(), std::string("ab\0cd", 5));
  EXPECT_EQ(ws.getWindowText(a.get(), 256), "ab");
  EXPECT_GE(ws.getWindowTextLength(a.get()), 2);
  const std::string composed = "12:34 Kivo contract " + runToken();
  ws.setWindowText(a.get(), composed + std::string(1, '\0'));
  EXPECT_EQ(ws.getWindowText(a.get(), 256), composed);
  EXPECT_EQ(ws.findWindow(a.className(), composed), a.get());
  EXPECT_EQ(ws.findWindow(a.className(), title), 0u);
}

TEST(WindowsContract, ForegroundFollowsSetForeground) {
  TestWindow a('F', "Kivo contract first " + runToken());
  TestWindow b('G', "Kivo contract second " + runToken());
  ASSERT_NE(a.get(), 0u);
  ASSERT_NE(b.get(), 0u);
  WindowSystem& ws = backend().windows();
  for (const Hwnd h : {a.get(), b.get(), a.get()}) {
    ws.setForegroundWindow(h);
    EXPECT_TRUE(backend().pumpUntil([&] { return ws.getForegroundWindow() == h; }, kDeadline))
        << "foreground " << ws.getForegroundWindow() << ", wanted " << h;
  }
  // Once the foreground window is gone, the foreground is another window or
  // none, never the dead handle.
  const Hwnd h = a.get();
  a.destroy();
  EXPECT_TRUE(backend().pumpUntil([&] { return ws.getForegroundWindow() != h; }, kDeadline));
}

TEST(WindowsContract, RectangleFollowsAMove) {
  TestWindow w('M', "Kivo contract move " + runToken());
  ASSERT_NE(w.get(), 0u);
  WindowSystem& ws = backend().windows();
  Rect before;
  ASSERT_TRUE(ws.getWindowRect(w.get(), before));
  // Away from where it is; the size given with kSwpNoSize is ignored.
  const int x = before.left + 56, y = before.top + 40;
  ws.setWindowPos(w.get(), kHwndTop, x, y, 1, 1, kSwpNoSize);
  Rect now;
  EXPECT_TRUE(backend().pumpUntil(
      [&] { return ws.getWindowRect(w.get(), now) && now.left == x && now.top == y; }, kDeadline))
      << "at " << now.left << "," << now.top << ", wanted " << x << "," << y;
  EXPECT_EQ(now.right - now.left, before.right - before.left);
  EXPECT_EQ(now.bottom - now.top, before.bottom - before.top);
}

}  // namespace
}  // namespace kivo::contract
