// The previous-instance selection and a second start's hand-over, two connections standing for two
// processes.
#include "platform/x11/x11_instance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <latch>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/x11/x11_windows.h"
#include "tests/x11/backend/test_client.h"

namespace kivo::x11 {
namespace {

using test::connect;
using test::TestClient;
using test::waitFor;

// The running instance's toolkit: its windows, and what it was asked to do.
class FakeLocalWindows : public LocalWindows {
 public:
  bool ownsWindow(Hwnd h) override {
    return std::find(windows.begin(), windows.end(), h) != windows.end();
  }
  std::vector<Hwnd> ownWindows() override { return windows; }
  void showOwnWindow(Hwnd h, int cmd) override { shows.emplace_back(h, cmd); }
  void raiseOwnWindow(Hwnd h) override { raises.push_back(h); }

  std::vector<Hwnd> windows;
  std::vector<std::pair<Hwnd, int>> shows;
  std::vector<Hwnd> raises;
};

TEST(X11Instance, ASecondStartFindsTheHiddenMainWindowAndHandsOver) {
  const std::string mainClass = "ThunderRT5Form";
  const std::string mainTitle = "Kivo for Windows NT/95";
  TestClient client;
  // The running instance's main window: hidden (never mapped), so in no
  // client list.
  const xcb_window_t main = client.create(mainClass);
  client.setProperty(main, "WM_NAME", "STRING", mainTitle);

  auto first = connect();
  ASSERT_NE(first, nullptr);
  auto running = std::make_unique<X11ProgramInfo>(*first);
  EXPECT_FALSE(running->previousInstance());
  EXPECT_TRUE(running->ownsSelection());
  FakeLocalWindows local;
  local.windows = {main};
  running->setLocalWindows(&local);

  auto second = connect();
  ASSERT_NE(second, nullptr);
  X11ProgramInfo secondInfo(*second);
  EXPECT_TRUE(secondInfo.previousInstance());
  EXPECT_FALSE(secondInfo.ownsSelection());
  X11WindowSystem ws(*second);
  // The running instance wrote its list on a connection of its own.
  Hwnd found = 0;
  ASSERT_TRUE(waitFor([&] { return (found = ws.findWindow(mainClass, mainTitle)) != 0; }));
  EXPECT_EQ(found, main);

  // The start-up's hand-over, as the running instance's dispatch receives it.
  ws.showWindow(found, kSwShowNormal);
  ws.setWindowPos(found, kHwndTop, 0, 0, 0, 0, kSwpNoSize | kSwpNoMove | kSwpShowWindow);
  ws.setForegroundWindow(found);
  const std::vector<std::pair<Hwnd, int>> wantShows = {{main, kSwShowNormal}, {main, kSwShow}};
  EXPECT_TRUE(waitFor([&] {
    first->dispatch();
    return local.shows.size() >= 2 && !local.raises.empty();
  }));
  EXPECT_EQ(local.shows, wantShows);
  EXPECT_EQ(local.raises, std::vector<Hwnd>{main});

  // The running instance's own requests go straight to its toolkit.
  X11WindowSystem own(*first);
  own.setLocalWindows(&local);
  own.showWindow(main, kSwHide);
  EXPECT_EQ(local.shows.back(), std::make_pair(Hwnd{main}, kSwHide));

  // A window attached later is advertised once the list is written again.
  const xcb_window_t dialog = client.create(mainClass);
  client.setProperty(dialog, "WM_NAME", "STRING", "Kivo settings");
  local.windows.push_back(dialog);
  EXPECT_EQ(ws.findWindow(mainClass, "Kivo settings"), 0u);
  running->advertise();
  EXPECT_TRUE(waitFor([&] { return ws.findWindow(mainClass, "Kivo settings") == dialog; }));

  // The running instance ends without a word (its connection closes): the
  // selection is free at once, and the next start is the instance.
  running.reset();
  first.reset();
  EXPECT_TRUE(waitFor([&] { return ws.findWindow(mainClass, mainTitle) == 0; }));
  auto third = connect();
  ASSERT_NE(third, nullptr);
  X11ProgramInfo next(*third);
  EXPECT_FALSE(next.previousInstance());
  EXPECT_TRUE(next.ownsSelection());
}

TEST(X11Instance, OfTwoStartsAtTheSameInstantExactlyOneIsTheInstance) {
  TestClient client;
  const auto selectionFree = [&] {
    xcb_get_selection_owner_reply_t* r = xcb_get_selection_owner_reply(
        client.xcb(), xcb_get_selection_owner(client.xcb(), client.atom("KIVO_S0")), nullptr);
    const bool free = r != nullptr && r->owner == XCB_NONE;
    std::free(r);
    return free;
  };
  for (int round = 0; round < 100; ++round) {
    auto a = connect();
    auto b = connect();
    ASSERT_TRUE(a && b);
    std::unique_ptr<X11ProgramInfo> infoA, infoB;
    // Both ask for the selection at the same moment, as two processes would.
    std::latch ready(2);
    std::thread other([&] {
      ready.arrive_and_wait();
      infoB = std::make_unique<X11ProgramInfo>(*b);
    });
    ready.arrive_and_wait();
    infoA = std::make_unique<X11ProgramInfo>(*a);
    other.join();
    ASSERT_NE(infoA->ownsSelection(), infoB->ownsSelection()) << "round " << round;
    EXPECT_NE(infoA->previousInstance(), infoB->previousInstance());
    // The one that gave way was never the instance: nothing to hand over.
    a->dispatch();
    b->dispatch();
    ASSERT_NE(infoA->ownsSelection(), infoB->ownsSelection()) << "round " << round;
    infoA.reset();
    infoB.reset();
    ASSERT_TRUE(waitFor(selectionFree));
  }
}

TEST(X11Instance, OnlyOwnWindowsAreShownOnRequest) {
  TestClient client;
  const xcb_window_t stranger = client.create("Stranger");
  auto first = connect();
  ASSERT_NE(first, nullptr);
  X11ProgramInfo running(*first);
  FakeLocalWindows local;
  running.setLocalWindows(&local);

  // A request for a window the instance does not own, as any client could
  // send it, is ignored; one for an own window is carried out.
  const auto request = [&](Hwnd h) {
    xcb_client_message_event_t m{};
    m.response_type = XCB_CLIENT_MESSAGE;
    m.format = 32;
    m.window = running.ownerWindow();
    m.type = client.atom("_KIVO_REQUEST");
    m.data.data32[0] = kRequestRaise;
    m.data.data32[1] = h;
    xcb_send_event(client.xcb(), 0, running.ownerWindow(), XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&m));
    xcb_flush(client.xcb());
  };
  request(stranger);
  local.windows = {client.create("Own")};
  request(local.windows[0]);
  EXPECT_TRUE(waitFor([&] {
    first->dispatch();
    return !local.raises.empty();
  }));
  EXPECT_EQ(local.raises, std::vector<Hwnd>{local.windows[0]});
  first->dispatch();  // nothing waiting: returns at once
}

TEST(X11Instance, AnInstanceWhoseSelectionIsTakenStopsAdvertisingAndEnds) {
  TestClient client;
  auto first = connect();
  ASSERT_NE(first, nullptr);
  X11ProgramInfo running(*first);
  int endings = 0;
  running.onSelectionLost = [&] { ++endings; };
  FakeLocalWindows local;
  local.windows = {client.create("ThunderRT5Form")};
  running.setLocalWindows(&local);
  ASSERT_TRUE(running.ownsSelection());
  EXPECT_TRUE(
      waitFor([&] { return client.property(running.ownerWindow(), "_KIVO_WINDOWS").exists; }));

  // Another client takes the selection by force.
  const xcb_window_t usurper = client.create("Usurper");
  xcb_set_selection_owner(client.xcb(), usurper, client.atom("KIVO_S0"), XCB_CURRENT_TIME);
  client.sync();
  EXPECT_TRUE(waitFor([&] {
    first->dispatch();
    return !running.ownsSelection();
  }));
  EXPECT_TRUE(
      waitFor([&] { return !client.property(running.ownerWindow(), "_KIVO_WINDOWS").exists; }));
  // Two clocks must never run: the program is told to end, once.
  EXPECT_EQ(endings, 1);
  running.advertise();  // no longer the instance: writes nothing
  // Once this round trip is answered, anything advertise() wrote is there.
  test::syncWith(first->eventXcb());
  EXPECT_FALSE(client.property(running.ownerWindow(), "_KIVO_WINDOWS").exists);
}

}  // namespace
}  // namespace kivo::x11
