// Decoration records on real windows: what the server holds, what a read
// passes over, and what they cost in round trips.
#include "platform/x11/x11_journal.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/x11/backend/test_client.h"

namespace kivo::x11 {
namespace {

using test::RawProperty;
using test::TestClient;

class X11JournalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(x_ = test::connect(), nullptr);
    journal_ = std::make_unique<X11DecorationJournal>(*x_);
  }
  std::vector<DecorationRecord> recordsOf(Hwnd h) {
    std::vector<DecorationRecord> mine;
    for (const DecorationRecord& r : journal_->leftOver()) {
      if (r.window == h) mine.push_back(r);
    }
    return mine;
  }

  TestClient client_;
  std::unique_ptr<XConnection> x_;
  std::unique_ptr<X11DecorationJournal> journal_;
};

TEST_F(X11JournalTest, KeepsARecordAsOnePropertyWithoutWaitingAndFindsUnmanagedWindows) {
  // Never mapped: no window manager lists it, only the root's children do.
  const xcb_window_t hidden = client_.create("KivoHidden");
  const xcb_window_t gone = client_.create("KivoGone");
  client_.destroy(gone);
  const std::uint64_t before = x_->roundTrips();
  for (const DecorationRecord& r : journal_->leftOver()) EXPECT_NE(r.window, hidden);
  EXPECT_LE(x_->roundTrips() - before, 2u);  // the windows, then every record at once

  const std::uint64_t writes = x_->roundTrips();
  journal_->remember(hidden, std::string("6:17 = Memo\0tail", 16), "Memo");
  journal_->remember(gone, "6:17 = Gone", "Gone");
  journal_->forget(gone);
  EXPECT_EQ(x_->roundTrips(), writes);  // a tick's write never waits
  test::syncWith(x_->xcb());
  // A vanished window's errors are dropped where they arrive: nothing is
  // left for whoever reads the connection's events.
  xcb_generic_event_t* left = xcb_poll_for_event(x_->xcb());
  EXPECT_EQ(left, nullptr) << "left behind: response type " << int(left->response_type);
  std::free(left);

  const RawProperty raw = client_.property(hidden, "_KIVO_DECORATION");
  EXPECT_EQ(raw.type, client_.atom("UTF8_STRING"));
  EXPECT_EQ(raw.bytes, std::string("6:17 = Memo\0Memo", 16));
  EXPECT_EQ(recordsOf(hidden), (std::vector<DecorationRecord>{{hidden, "6:17 = Memo", "Memo"}}));
  client_.destroy(hidden);
}

TEST_F(X11JournalTest, PassesOverValuesItNeverWrites) {
  const std::pair<std::string, std::string> bad[] = {
      {"STRING", std::string("6:17 = A\0A", 10)},     // not UTF8_STRING
      {"UTF8_STRING", "6:17 = B"},                    // no own title
      {"UTF8_STRING", std::string("6:17\0C\0C", 8)},  // a third part
      {"UTF8_STRING", std::string("\0D", 2)},         // nothing written
  };
  std::vector<xcb_window_t> windows;
  for (const auto& [type, value] : bad) {
    windows.push_back(client_.create("KivoBad"));
    client_.setProperty(windows.back(), "_KIVO_DECORATION", type, value);
  }
  const xcb_window_t good = client_.create("KivoGood");
  client_.setProperty(good, "_KIVO_DECORATION", "UTF8_STRING", std::string("6:17 = E\0", 9));
  for (const xcb_window_t w : windows) EXPECT_TRUE(recordsOf(w).empty()) << w;
  // An empty own title is a title.
  EXPECT_EQ(recordsOf(good), (std::vector<DecorationRecord>{{good, "6:17 = E", ""}}));
  for (const xcb_window_t w : windows) client_.destroy(w);
  client_.destroy(good);
}

}  // namespace
}  // namespace kivo::x11
