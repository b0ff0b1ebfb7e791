// The window system against a fake compositor: what it learns from events
// and what it writes.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/ipc/title_format_windows.h"
#include "tests/ipc/fake_compositor.h"

namespace kivo::ipc {
namespace {

// A sway window as its tree and its events show it.
std::string swayWindow(int id, const std::string& title, bool focused = false) {
  return R"({"id":)" + std::to_string(id) + R"(,"type":"con","name":")" + title +
         R"(","shell":"xdg_shell","app_id":"editor","pid":42,"focused":)" +
         (focused ? "true" : "false") +
         R"(,"rect":{"x":0,"y":25,"width":640,"height":480},"deco_rect":{"x":0,"y":0,"width":640,"height":25}})";
}

// An i3 window: its handle is the X window id, its container an address.
std::string i3Window(std::uint64_t con, int window, const std::string& title) {
  return R"({"id":)" + std::to_string(con) + R"(,"type":"con","window":)" + std::to_string(window) +
         R"(,"focused":true,"window_properties":{"class":"XTerm","title":")" + title + R"("}})";
}

std::string windowEvent(const std::string& change, const std::string& container) {
  return R"({"change":")" + change + R"(","container":)" + container + "}";
}

struct Rig {
  test::FakeCompositor compositor;
  IpcConnection ipc{compositor.takeClientEnd()};
  std::unique_ptr<TitleFormatWindowSystem> windows;

  explicit Rig(bool i3 = false) {
    compositor.reply(i3 ? R"({"human_readable":"4.22"})"
                        : R"({"human_readable":"1.7","variant":"sway"})");
    compositor.reply(R"({"config":"font monospace 10\n"})");
    compositor.reply(R"({"success":true})");
    compositor.reply(R"({"id":1,"type":"root","nodes":[{"id":3,"type":"workspace","nodes":[)" +
                     (i3 ? i3Window(500, 7, "Old")
                         : swayWindow(5, "Editor", true) + "," + swayWindow(6, "Mail")) +
                     "]}]}");
    std::string error;
    windows = TitleFormatWindowSystem::connect(ipc, error);
    compositor.requests();  // the start-up's requests
  }
};

// A retitle followed with no request per tick is the real compositors'
// (IpcCompositor in tests/contract/ipc_backend.cpp); finding, reading and a
// closed window the window contract's. A workspace they cannot empty:
TEST(TitleFormatWindows, TheFocusAndAnEmptyWorkspaceAreFollowedWithoutARequest) {
  Rig rig;
  ASSERT_NE(rig.windows, nullptr);
  WindowSystem& ws = *rig.windows;
  EXPECT_EQ(ws.getForegroundWindow(), 5u);
  rig.compositor.send(kWindowEvent, windowEvent("focus", swayWindow(6, "Mail")));
  EXPECT_EQ(ws.getForegroundWindow(), 6u);
  rig.compositor.send(
      kWorkspaceEvent,
      R"({"change":"focus","current":{"id":9,"type":"workspace","nodes":[],"focus":[]}})");
  EXPECT_EQ(ws.getForegroundWindow(), 0u);
  EXPECT_EQ(rig.compositor.requests(), "");
}

TEST(TitleFormatWindows, OnI3ANewWindowKeepsAnIdTheClosedOneHad) {
  Rig rig(true);
  WindowSystem& ws = *rig.windows;
  EXPECT_EQ(ws.getWindowText(7, 256), "Old");
  // X window 7 reused by a new window before the old one's close is read.
  rig.compositor.send(kWindowEvent, windowEvent("new", i3Window(600, 7, "New")));
  rig.compositor.send(kWindowEvent, windowEvent("close", i3Window(500, 7, "Old")));
  EXPECT_EQ(ws.getWindowText(7, 256), "New");
  rig.compositor.succeed();
  ws.setWindowText(7, "12:34 New");
  EXPECT_EQ(rig.compositor.requests(), "[con_id=600] title_format \"12:34 %title\"\n");
}

TEST(TitleFormatWindows, WritesTheFormatAroundTheLiveTitleAndGivesItBack) {
  Rig rig;
  WindowSystem& ws = *rig.windows;
  rig.compositor.succeed();
  ws.setWindowText(5, "12:34 = Editor");
  EXPECT_EQ(rig.compositor.requests(), "[con_id=5] title_format \"12:34 = %title\"\n");
  EXPECT_EQ(ws.getWindowText(5, 256), "12:34 = Editor");
  // The program retitles itself: the format follows it, nothing written.
  rig.compositor.send(kWindowEvent, windowEvent("title", swayWindow(5, "A & B")));
  EXPECT_EQ(ws.getWindowText(5, 256), "12:34 = A & B");
  ws.setWindowText(5, "12:34 = A & B");
  EXPECT_EQ(rig.compositor.requests(), "");
  // Its own title gives the plain format back, once.
  rig.compositor.succeed();
  ws.setWindowText(5, "A & B");
  ws.setWindowText(5, "A & B");
  EXPECT_EQ(rig.compositor.requests(), "[con_id=5] title_format \"%title\"\n");
  // Every format still set goes back at exit; a refused command keeps none.
  rig.compositor.reply(R"([{"success":false}])");
  ws.setWindowText(6, "Mail 12:35");
  rig.compositor.succeed();
  ws.setWindowText(6, "fixed");
  rig.compositor.succeed();
  rig.windows->restoreAll();
  EXPECT_EQ(rig.compositor.requests(),
            "[con_id=6] title_format \"%title 12:35\"\n[con_id=6] title_format \"fixed\"\n"
            "[con_id=6] title_format \"%title\"\n");
}

// i3 restarted in place closes its socket: meanwhile the windows read as
// they were and a format written is kept; over the new connection it goes
// out under the container's new id (the end-to-end i3_restart case runs it
// on a real i3).
TEST(TitleFormatWindows, WhatIsWrittenWhileI3RestartsWaitsForItsReturn) {
  Rig rig(true);
  WindowSystem& ws = *rig.windows;
  rig.compositor.succeed();
  ws.setWindowText(7, "12:34 Old");
  rig.compositor.requests();
  rig.compositor.closeOurEnd();
  ws.setWindowText(7, "12:35 Old");
  EXPECT_TRUE(rig.ipc.lost());
  EXPECT_EQ(ws.getForegroundWindow(), 7u);
  EXPECT_EQ(ws.getWindowText(7, 256), "12:35 Old");

  test::FakeCompositor back;
  back.reply(R"({"success":true})");  // the subscription
  back.reply(R"({"id":1,"type":"root","nodes":[{"id":3,"type":"workspace","nodes":[)" +
             i3Window(900, 7, "Old") + "]}]}");
  back.succeed();
  rig.ipc.adopt(back.takeClientEnd());
  EXPECT_TRUE(rig.windows->resume());
  EXPECT_EQ(back.requests(),
            "[\"window\",\"workspace\"]\n\n[con_id=900] title_format \"12:35 %title\"\n");
  EXPECT_EQ(ws.getWindowText(7, 256), "12:35 Old");
}

// A floating window's move is the window contract's, on sway and i3.
TEST(TitleFormatWindows, ATiledWindowStaysStillAndItsRectangleHoldsTheTitleBar) {
  Rig rig;
  WindowSystem& ws = *rig.windows;
  // Asks the tree for the rectangle, never moves.
  rig.compositor.reply(R"({"id":1,"type":"root","nodes":[)" + swayWindow(5, "Editor", true) + "]}");
  Rect r;
  ASSERT_TRUE(ws.getWindowRect(5, r));
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.bottom, 505);
  ws.setWindowPos(5, kHwndTop, 10, 20, 0, 0, kSwpNoSize);
  EXPECT_EQ(rig.compositor.requests(), "\n");
}

}  // namespace
}  // namespace kivo::ipc
