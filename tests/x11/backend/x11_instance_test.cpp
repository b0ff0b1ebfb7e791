// The previous-instance selection and a second start's hand-over, two
// connections standing for two processes. Simultaneous starts and a taken
// selection are the end-to-end tests' (simultaneous_starts, selection_taken),
// and so is the selection freed by a killed run (killed_run).
#include "platform/x11/x11_instance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
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
  X11ProgramInfo running(*first);
  EXPECT_FALSE(running.previousInstance());
  EXPECT_TRUE(running.ownsSelection());
  FakeLocalWindows local;
  local.windows = {main};
  running.setLocalWindows(&local);

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

  // A raise request for a window the instance does not own, as any client
  // could send it, is ignored; then the start-up's hand-over, as the running
  // instance's dispatch receives it.
  client.send(running.ownerWindow(), running.ownerWindow(), "_KIVO_REQUEST", kRequestRaise,
              client.create("Stranger"));
  client.sync();
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
  running.advertise();
  EXPECT_TRUE(waitFor([&] { return ws.findWindow(mainClass, "Kivo settings") == dialog; }));
}

}  // namespace
}  // namespace kivo::x11
