// The IPC socket's framing, and requests and events over one connection.
#include <gtest/gtest.h>

#include "platform/ipc/ipc_connection.h"
#include "tests/ipc/fake_compositor.h"

namespace kivo::ipc {
namespace {

TEST(IpcFraming, MessagesComeOffAStreamWholeAndInOrder) {
  std::string stream = encodeMessage(kGetTree, "{}") + encodeMessage(kWindowEvent, "時計😀");
  EXPECT_EQ(stream.substr(0, 6), "i3-ipc");
  Message m;
  // Every cut short of the first message's end is incomplete and left alone.
  for (std::size_t cut = 0; cut < 16; ++cut) {
    std::string part = stream.substr(0, cut);
    EXPECT_EQ(decodeMessage(part, m), Decoded::kIncomplete) << cut;
    EXPECT_EQ(part.size(), cut);
  }
  ASSERT_EQ(decodeMessage(stream, m), Decoded::kMessage);
  EXPECT_EQ(m.type, kGetTree);
  EXPECT_EQ(m.payload, "{}");
  ASSERT_EQ(decodeMessage(stream, m), Decoded::kMessage);
  EXPECT_EQ(m.type, kWindowEvent);
  EXPECT_EQ(m.payload, "時計😀");
  EXPECT_TRUE(stream.empty());
  std::string garbled = "i3-ip" + std::string("x") + encodeMessage(0, "");
  EXPECT_EQ(decodeMessage(garbled, m), Decoded::kGarbled);
}

TEST(IpcConnection, ARepliesWaitLeavesTheEventsBeforeAndAfterItQueued) {
  test::FakeCompositor compositor;
  IpcConnection ipc(compositor.takeClientEnd());
  compositor.send(kWindowEvent, "first");
  compositor.reply("the reply");
  compositor.send(kWorkspaceEvent, "second");
  EXPECT_EQ(ipc.request(kGetTree, "").value_or("none"), "the reply");
  EXPECT_EQ(compositor.requests(), "\n");
  EXPECT_EQ(ipc.requestCount(), 1u);
  const auto events = ipc.takeEvents();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].payload, "first");
  EXPECT_EQ(events[1].type, kWorkspaceEvent);
  EXPECT_TRUE(ipc.takeEvents().empty());  // nothing more, and no wait
  EXPECT_FALSE(ipc.lost());
}

TEST(IpcConnection, ACompositorThatGoesOrFallsSilentIsLostNotAHang) {
  for (const bool silent : {false, true}) {
    test::FakeCompositor compositor;
    IpcConnection ipc(compositor.takeClientEnd());
    ipc.setReplyDeadline(std::chrono::milliseconds(200));
    int told = 0;
    ipc.onLost = [&] { ++told; };
    compositor.send(kWindowEvent, "before");
    if (!silent) compositor.closeOurEnd();
    EXPECT_FALSE(ipc.request(kGetTree, "").has_value()) << silent;
    EXPECT_TRUE(ipc.lost());
    EXPECT_FALSE(ipc.request(kRunCommand, "focus").has_value());
    // What arrived before is still handed over.
    EXPECT_EQ(ipc.takeEvents().size(), 1u);
    EXPECT_EQ(told, 1);
  }
}

TEST(IpcConnection, OpeningAMissingSocketTellsWhy) {
  std::string error;
  EXPECT_EQ(IpcConnection::open("/nonexistent/kivo.sock", error), nullptr);
  EXPECT_NE(error.find("/nonexistent/kivo.sock"), std::string::npos);
}

}  // namespace
}  // namespace kivo::ipc
