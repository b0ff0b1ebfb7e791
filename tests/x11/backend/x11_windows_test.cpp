// The X11 window functions against real windows of another client, on Xvfb with openbox.
#include "platform/x11/x11_windows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/x11/x11_instance.h"
#include "tests/x11/backend/test_client.h"

namespace kivo::x11 {
namespace {

using test::RawProperty;
using test::TestClient;
using test::waitFor;

// "メモ帳 CT" as compound text: JIS X 0208 designated to GL, then back to ASCII.
const std::string kCompoundMemo = "\x1b$(B\x25\x61\x25\x62\x44\x22\x1b(B CT";

class X11WindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(x_ = test::connect(), nullptr);
    ws_ = std::make_unique<X11WindowSystem>(*x_);
  }
  // A mapped, managed, active window with a WM_NAME of `type`.
  xcb_window_t shown(const std::string& cls, const std::string& type, const std::string& title) {
    const xcb_window_t w = client_.create(cls);
    client_.setProperty(w, "WM_NAME", type, title);
    EXPECT_TRUE(client_.mapAndWait(w));
    return w;
  }
  std::string read(Hwnd h) { return ws_->getWindowText(h, ws_->getWindowTextLength(h) + 1); }
  // Waits until the server has carried out the backend's requests.
  void sync() { test::syncWith(x_->xcb()); }

  TestClient client_;
  std::unique_ptr<XConnection> x_;
  std::unique_ptr<X11WindowSystem> ws_;
};

// Latin-1 in a STRING is the window contract's (its classic program's windows).
TEST_F(X11WindowsTest, ReadsEveryTitleEncodingAndPrefersNetWmName) {
  const xcb_window_t compound = client_.create("KivoCompound");
  client_.setProperty(compound, "WM_NAME", "COMPOUND_TEXT", kCompoundMemo);
  const xcb_window_t utf8 = client_.create("KivoUtf8");
  client_.setProperty(utf8, "WM_NAME", "UTF8_STRING", "🕐 utf8 𠮷野");
  const xcb_window_t net = client_.create("KivoNet");
  client_.setProperty(net, "WM_NAME", "STRING", "stale");
  client_.setProperty(net, "_NET_WM_NAME", "UTF8_STRING", "新しい題名");
  const xcb_window_t netAsString = client_.create("KivoNetString");
  client_.setProperty(netAsString, "_NET_WM_NAME", "STRING", "Caf\xe9");
  const xcb_window_t nul = client_.create("KivoNul");
  client_.setProperty(nul, "WM_NAME", "STRING", std::string("ab\0cd", 5));
  const xcb_window_t untitled = client_.create("KivoUntitled");

  EXPECT_EQ(read(compound), "メモ帳 CT");
  EXPECT_EQ(read(utf8), "🕐 utf8 𠮷野");
  EXPECT_EQ(read(net), "新しい題名");
  EXPECT_EQ(read(netAsString), "Café");
  EXPECT_EQ(read(nul), "ab");
  EXPECT_EQ(ws_->getWindowTextLength(untitled), 0);
  EXPECT_EQ(read(untitled), "");
  // A length short of the title would cut these reads (read() asks for
  // length + 1); reads cut by the buffer are the window contract's.
}

TEST_F(X11WindowsTest, WritesWmNameAlwaysAndNetWmNameOnlyWhereItIs) {
  const xcb_window_t plain = client_.create("KivoPlain");
  client_.setProperty(plain, "WM_NAME", "STRING", "old");
  const xcb_window_t modern = client_.create("KivoModern");
  client_.setProperty(modern, "WM_NAME", "STRING", "old");
  client_.setProperty(modern, "_NET_WM_NAME", "UTF8_STRING", "old");

  ws_->setWindowText(plain, std::string("Café\0junk", 10));
  sync();
  RawProperty wmName = client_.property(plain, "WM_NAME");
  EXPECT_EQ(wmName.type, XCB_ATOM_STRING);
  EXPECT_EQ(wmName.bytes, "Caf\xe9");
  EXPECT_FALSE(client_.property(plain, "_NET_WM_NAME").exists);
  EXPECT_EQ(read(plain), "Café");

  const std::string clock = "12:34 時計 🕐 メモ";
  ws_->setWindowText(plain, clock + '\0');
  sync();
  wmName = client_.property(plain, "WM_NAME");
  EXPECT_EQ(wmName.type, client_.atom("COMPOUND_TEXT"));
  EXPECT_FALSE(client_.property(plain, "_NET_WM_NAME").exists)
      << "a _NET_WM_NAME of ours would freeze the program's own later titles";
  // roundTrip says exactly what comes back, the trailing NUL kept.
  ws_->getForegroundWindow();
  EXPECT_EQ(ws_->roundTrip(plain, clock + '\0'), read(plain) + '\0');

  // Bytes that are no UTF-8 at all: whatever path they take, roundTrip
  // still tells what comes back.
  const std::string odd = std::string("odd \xff\xfe 時") + '\0';
  ws_->setWindowText(plain, odd);
  EXPECT_EQ(ws_->roundTrip(plain, odd), read(plain) + '\0');

  ws_->setWindowText(modern, clock);
  sync();
  const RawProperty netName = client_.property(modern, "_NET_WM_NAME");
  EXPECT_EQ(netName.type, client_.atom("UTF8_STRING"));
  EXPECT_EQ(netName.bytes, clock);
  EXPECT_EQ(client_.property(modern, "WM_NAME").type, client_.atom("COMPOUND_TEXT"));
  EXPECT_EQ(read(modern), clock);
  EXPECT_EQ(ws_->roundTrip(modern, clock + '\0'), clock + '\0');
}

TEST_F(X11WindowsTest, ATitleOfAnyLengthIsReadAndGivenBackWhole) {
  // 200,000 bytes of UTF-8, far past what one 64 KiB read would hold.
  std::string title;
  while (title.size() < 199'990) title += "時計 clock 🕐 ";
  title.resize(199'990);
  while (title.size() < 200'000) title += '.';
  ASSERT_EQ(title.size(), 200'000u);
  const xcb_window_t net = client_.create("KivoLongNet");
  client_.setProperty(net, "WM_NAME", "STRING", "short");
  client_.setProperty(net, "_NET_WM_NAME", "UTF8_STRING", title);
  const xcb_window_t wm = client_.create("KivoLongWm");
  client_.setProperty(wm, "WM_NAME", "UTF8_STRING", title);

  EXPECT_TRUE(read(net) == title) << "read " << read(net).size() << " bytes";
  EXPECT_TRUE(read(wm) == title) << "read " << read(wm).size() << " bytes";
  // The restore writes back what was read: the tail is there.
  ws_->setWindowText(net, "12:00 " + title);
  ws_->setWindowText(net, read(net).substr(6));
  sync();
  EXPECT_TRUE(client_.property(net, "_NET_WM_NAME").bytes == title);
}

TEST_F(X11WindowsTest, OnlyAManagedClientWindowIsInFront) {
  const xcb_window_t managed = shown("KivoManaged", "STRING", "managed");
  const xcb_window_t unmanaged = client_.create("KivoUnmanaged");
  client_.setProperty(unmanaged, "WM_NAME", "STRING", "never mapped");
  X11ProgramInfo instance(*x_);
  ASSERT_EQ(ws_->getForegroundWindow(), managed);

  // What a window manager may point _NET_ACTIVE_WINDOW at when no client
  // has the focus; none of them may carry the clock.
  const auto inFrontIs = [&](xcb_window_t w) {
    const std::uint32_t value = w;
    xcb_change_property(client_.xcb(), XCB_PROP_MODE_REPLACE, client_.root(),
                        client_.atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 32, 1, &value);
    client_.sync();
    return ws_->getForegroundWindow();
  };
  const std::uint64_t before = x_->roundTrips();
  EXPECT_EQ(inFrontIs(client_.root()), 0u);
  EXPECT_EQ(inFrontIs(unmanaged), 0u);
  EXPECT_EQ(inFrontIs(instance.ownerWindow()), 0u);
  EXPECT_EQ(inFrontIs(client_.frameOf(managed)), 0u) << "the manager's frame is no client";
  EXPECT_EQ(inFrontIs(managed), managed);
  EXPECT_EQ(x_->roundTrips() - before, 5u) << "one round trip each, client list included";
}

// A steady tick asks the server nothing; what it said has changed is read
// again at the next tick: the program's own retitle, our write (once), a
// window gone.
TEST_F(X11WindowsTest, ASteadyTickAsksNothingAndTheNextTickSeesEveryChange) {
  const xcb_window_t w = shown("KivoSteady", "STRING", "steady");
  const auto tick = [&] {
    const Hwnd h = ws_->getForegroundWindow();
    return h == w ? read(h) : "<" + std::to_string(h) + " in front>";
  };
  EXPECT_EQ(tick(), "steady");
  const auto quiet = [&](const std::string& title) {
    const std::uint64_t before = x_->roundTrips();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(tick(), title);
    EXPECT_EQ(x_->roundTrips(), before) << "a steady tick asked the server";
  };
  quiet("steady");
  client_.setProperty(w, "WM_NAME", "STRING", "its own");
  client_.sync();
  EXPECT_EQ(tick(), "its own");
  ws_->setWindowText(w, "12:00 = its own");
  EXPECT_EQ(tick(), "12:00 = its own");
  quiet("12:00 = its own");
  client_.destroy(w);
  EXPECT_EQ(ws_->getWindowTextLength(w), 0);
}

// The shake moves another program's window (the window contract's) with
// "not topmost": out of the always-on-top layer. (Minimizing, restoring and
// sizing another program's window the program never asks for; what a
// steady tick costs in round trips, bench/x11-usage.sh measures.)
TEST_F(X11WindowsTest, NotTopmostTakesAnotherProgramsWindowOutOfTheTopLayer) {
  const xcb_window_t w = shown("KivoShown", "STRING", "shown");
  const auto above = [&] {
    const auto s = client_.cardinals(w, "_NET_WM_STATE");
    return std::find(s.begin(), s.end(), client_.atom("_NET_WM_STATE_ABOVE")) != s.end();
  };
  ws_->setWindowPos(w, kHwndTopmost, 0, 0, 0, 0, kSwpNoMove | kSwpNoSize);
  EXPECT_TRUE(waitFor(above));
  ws_->setWindowPos(w, kHwndNoTopmost, 0, 0, 0, 0, kSwpNoMove | kSwpNoSize);
  EXPECT_TRUE(waitFor([&] { return !above(); }));
}

TEST_F(X11WindowsTest, AFlashIsAHighlightAboveTheTitleBarThatLeavesTheTitleAlone) {
  const xcb_window_t w = client_.create("KivoFlash");
  client_.setProperty(w, "WM_NAME", "COMPOUND_TEXT", kCompoundMemo);
  client_.setProperty(w, "_NET_WM_NAME", "UTF8_STRING", "12:00 メモ帳");
  ASSERT_TRUE(client_.mapAndWait(w));
  const RawProperty wmName = client_.property(w, "WM_NAME");
  const RawProperty netName = client_.property(w, "_NET_WM_NAME");
  xcb_window_t frame = w;
  ASSERT_TRUE(waitFor([&] { return (frame = client_.frameOf(w)) != w; }))
      << "openbox frames its clients";
  Rect rect;
  ASSERT_TRUE(ws_->getWindowRect(w, rect));

  ws_->flashWindow(w, true);
  const xcb_window_t highlight = ws_->flashHighlight();
  ASSERT_NE(highlight, 0u);
  EXPECT_TRUE(waitFor([&] { return client_.viewable(highlight); }));
  // Over the frame, inside its top edge, and above it in the stacking order.
  xcb_get_geometry_reply_t* g =
      xcb_get_geometry_reply(client_.xcb(), xcb_get_geometry(client_.xcb(), highlight), nullptr);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->x, rect.left);
  EXPECT_EQ(g->y, rect.top);
  EXPECT_GT(g->width, 200);
  EXPECT_LT(g->y + g->height, rect.top + 60);
  std::free(g);
  const auto order = client_.stacking();
  const auto at = [&](xcb_window_t v) { return std::find(order.begin(), order.end(), v); };
  EXPECT_TRUE(at(highlight) != order.end() && at(frame) < at(highlight));

  ws_->flashWindow(w, true);  // the second inversion of the pair
  EXPECT_TRUE(waitFor([&] { return !client_.viewable(highlight); }));
  ws_->flashWindow(w, true);
  EXPECT_TRUE(waitFor([&] { return client_.viewable(highlight); }));
  ws_->flashWindow(w, false);  // back to the normal look
  EXPECT_TRUE(waitFor([&] { return !client_.viewable(highlight); }));
  ws_->flashWindow(0, true);
  EXPECT_TRUE(waitFor([&] { return !client_.viewable(highlight); }));
  // The "nothing" results for a vanished window are the window contract's;
  // what only this backend has: its highlight and its round trip.
  const xcb_window_t gone = shown("KivoGone", "STRING", "going");
  client_.destroy(gone);
  EXPECT_EQ(ws_->roundTrip(gone, "時計"), "時計");
  ws_->flashWindow(gone, true);
  sync();
  EXPECT_FALSE(client_.viewable(highlight)) << "nothing to flash on a window that has gone";

  EXPECT_EQ(client_.property(w, "WM_NAME").bytes, wmName.bytes);
  EXPECT_EQ(client_.property(w, "WM_NAME").type, wmName.type);
  EXPECT_EQ(client_.property(w, "_NET_WM_NAME").bytes, netName.bytes);
}

}  // namespace
}  // namespace kivo::x11
