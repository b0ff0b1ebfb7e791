// The title-format window system on a real sway (foot windows, under
// scripts/sway-run.sh) or i3 (X test client windows, under x11-run.sh --i3):
// what the compositor itself holds after a write, which only its own tree
// (i3 reports title_format; sway 1.7 does not, but parses a mark's argument
// as it parses a format's) and its request count show.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/ipc/ipc_connection.h"
#include "platform/ipc/ipc_journal.h"
#include "platform/ipc/title_format_windows.h"
#include "tests/x11/backend/test_client.h"

extern char** environ;

namespace kivo::ipc {
namespace {

using nlohmann::json;
using namespace std::chrono_literals;

std::string socketPath() {
  for (const char* name : {"SWAYSOCK", "I3SOCK"}) {
    if (const char* path = std::getenv(name); path != nullptr && *path != '\0') return path;
  }
  return {};
}

class CompositorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ipc_ = IpcConnection::open(socketPath(), error);
    probe_ = IpcConnection::open(socketPath(), error);
    ASSERT_NE(probe_, nullptr) << error;
    windows_ = TitleFormatWindowSystem::connect(*ipc_, error);
    ASSERT_NE(windows_, nullptr) << error;
    sway_ = windows_->rules().compositor == Compositor::kSway;
  }
  void TearDown() override {
    for (const pid_t pid : pids_) ::kill(pid, SIGTERM), ::waitpid(pid, nullptr, 0);
    for (const xcb_window_t w : xWindows_) client().destroy(w);
    std::filesystem::remove(trigger_);
  }

  bool waitFor(const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < end) {
      windows_->dispatch();
      if (condition()) return true;
      std::this_thread::sleep_for(5ms);
    }
    return false;
  }

  // A window titled `title` that retitles itself "New" once retitle() is
  // called; in front when this returns.
  Hwnd open(const std::string& className, const std::string& title) {
    Hwnd h = 0;
    if (sway_) {
      const std::string script = "while [ ! -e '" + trigger_ +
                                 "' ]; do sleep 0.02; done; printf '\\033]2;New\\007'; sleep 600";
      std::vector<std::string> args = {"foot", "-a", className, "-T", title, "sh", "-c", script};
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      pid_t pid = 0;
      if (posix_spawnp(&pid, "foot", nullptr, nullptr, argv.data(), environ) != 0) return 0;
      pids_.push_back(pid);
      waitFor([&] { return (h = windows_->findWindow(className, title)) != 0; });
    } else {
      const xcb_window_t w = client().create(className);
      client().setProperty(w, "_NET_WM_NAME", "UTF8_STRING", title);
      xcb_map_window(client().xcb(), w);
      client().sync();
      xWindows_.push_back(w);
      h = w;
    }
    return waitFor([&] { return windows_->getForegroundWindow() == h; }) ? h : 0;
  }
  void retitle(Hwnd h) {
    if (sway_) {
      std::ofstream(trigger_) << "";
    } else {
      client().setProperty(h, "_NET_WM_NAME", "UTF8_STRING", "New");
      client().sync();
    }
  }
  // The window's node in the compositor's tree, asked over the probe.
  json node(Hwnd h) {
    const json tree = json::parse(probe_->request(kGetTree, "").value_or("{}"));
    const auto con = windows_->containerOf(h);
    std::function<json(const json&)> find = [&](const json& n) -> json {
      if (con && n.value("id", std::uint64_t{0}) == *con) return n;
      for (const char* key : {"nodes", "floating_nodes"})
        for (const json& child : n.value(key, json::array()))
          if (json found = find(child); !found.is_null()) return found;
      return nullptr;
    };
    return find(tree);
  }
  // The format the compositor reports (i3), "%title" when it has none.
  std::string reportedFormat(Hwnd h) {
    const json n = node(h);
    const auto it = n.find("title_format");
    return it != n.end() && it->is_string() ? it->get<std::string>() : "%title";
  }
  std::string ownTitle(Hwnd h) {
    const json n = node(h);
    return sway_ ? n.value("name", "") : n["window_properties"].value("title", "");
  }

  std::unique_ptr<IpcConnection> ipc_, probe_;
  std::unique_ptr<TitleFormatWindowSystem> windows_;
  // One X client for every case of the program: a new connection would
  // get the window ids of the last one's windows, which the compositor may
  // not yet have let go.
  static x11::test::TestClient& client() {
    static x11::test::TestClient c;
    return c;
  }
  std::vector<xcb_window_t> xWindows_;
  bool sway_ = true;
  std::vector<pid_t> pids_;
  const std::string trigger_ =
      (std::filesystem::temp_directory_path() / ("kivo-retitle-" + std::to_string(::getpid())))
          .string();
};

TEST_F(CompositorTest, TheClockFollowsARetitleLiveWithNoRequestPerTick) {
  const Hwnd h = open("KivoIpcLive", "Editor");
  ASSERT_NE(h, 0u);
  windows_->setWindowText(h, "12:34 = Editor");
  const auto afterWrite = windows_->requestCount();
  if (!sway_) EXPECT_EQ(reportedFormat(h), "12:34 = %title");
  retitle(h);
  const auto tick = [&] {
    const Hwnd front = windows_->getForegroundWindow();
    return windows_->getWindowText(front, windows_->getWindowTextLength(front) + 1);
  };
  EXPECT_TRUE(waitFor([&] { return tick() == "12:34 = New"; })) << tick();
  for (int i = 0; i < 50; ++i) tick();
  EXPECT_EQ(windows_->requestCount(), afterWrite);
  // The program's own title was never touched; its own title back means
  // the plain format back.
  EXPECT_EQ(ownTitle(h), "New");
  windows_->setWindowText(h, "New");
  if (!sway_) EXPECT_EQ(reportedFormat(h), "%title");
  EXPECT_EQ(windows_->getWindowText(h, 256), "New");
}

TEST_F(CompositorTest, ArgumentsAndFormatsArriveAsWritten) {
  const Hwnd h = open("KivoIpcQuote", "T");
  ASSERT_NE(h, 0u);
  const std::string con = std::to_string(windows_->containerOf(h).value_or(0));
  const std::string text = R"(50%title "q" b\c ; , ] 'x' <&> 時計😀 = T)";
  if (sway_) {
    // sway 1.7 does not report formats: its marks go through the same
    // parsing, and come back as given.
    const std::string mark = R"(a "q" b\c ; , ] 'x' 時計😀)";
    ASSERT_TRUE(probe_->request(
        kRunCommand, "[con_id=" + con + "] mark --add " + quoteArgument(mark, Compositor::kSway)));
    EXPECT_EQ(json::parse(probe_->request(5 /* GET_MARKS */, "").value_or("[]")),
              json::array({mark}));
  }
  windows_->setWindowText(h, text);
  EXPECT_EQ(windows_->getWindowText(h, 256), text);
  if (!sway_) {
    // The Pango font of the test's i3 makes the format markup.
    EXPECT_EQ(reportedFormat(h),
              "50%\u2060title \"q\" b\\c ; , ] 'x' &lt;&amp;&gt; 時計😀 = %title");
  }
}

TEST_F(CompositorTest, FlashThickensTheBorderWhileItIsOn) {
  const Hwnd h = open("KivoIpcFlash", "Flash");
  ASSERT_NE(h, 0u);
  // sway reports a border once the window has taken it: wait for each.
  const auto border = [&] { return node(h).value("current_border_width", -1); };
  ASSERT_TRUE(waitFor([&] { return node(h).value("border", "") == "normal"; }));
  const int width = border();
  windows_->flashWindow(h, true);
  EXPECT_TRUE(waitFor([&] { return border() == width + 6; })) << border();
  windows_->flashWindow(h, true);  // toggles back
  EXPECT_TRUE(waitFor([&] { return border() == width; })) << border();
  windows_->flashWindow(h, true);
  windows_->flashWindow(h, false);
  EXPECT_TRUE(waitFor([&] { return border() == width; })) << border();
}

TEST_F(CompositorTest, AKilledRunsFormatsAreGivenBackAtTheNextStart) {
  const Hwnd h = open("KivoIpcLeft", "Left");
  ASSERT_NE(h, 0u);
  const std::string file =
      (std::filesystem::temp_directory_path() / ("kivo-left-" + std::to_string(::getpid())))
          .string();
  IpcDecorationJournal journal(file, socketPath(),
                               [&](Hwnd w) { return windows_->containerOf(w); });
  windows_->setWindowText(h, "12:34 Left");
  journal.remember(h, "12:34 Left", "Left");
  // The next run: a connection and window system of its own, the same file.
  std::string error;
  auto nextIpc = IpcConnection::open(socketPath(), error);
  auto next = TitleFormatWindowSystem::connect(*nextIpc, error);
  ASSERT_NE(next, nullptr);
  IpcDecorationJournal nextJournal(file, socketPath(),
                                   [&](Hwnd w) { return next->containerOf(w); });
  const auto asked = next->requestCount();
  next->giveBackLeftOver(nextJournal);
  EXPECT_EQ(next->requestCount(), asked + 1);
  if (!sway_) EXPECT_EQ(reportedFormat(h), "%title");
  EXPECT_TRUE(nextJournal.leftOver().empty());
  std::filesystem::remove(file);
}

}  // namespace
}  // namespace kivo::ipc
