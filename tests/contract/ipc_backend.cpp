// The contract suite's factory for sway and i3: the title-format window
// system over the compositor's IPC socket, with real windows of another
// program. On sway (kivo_contract_sway, under scripts/sway-run.sh) those are
// foot terminals whose app_id is the class; on i3 (kivo_contract_i3, under
// scripts/x11-run.sh --i3) windows of the X11 test client. The journal lives
// in a scratch file. The Qt toolkit runs the timers and boxes: natively on
// Wayland under sway (QT_QPA_PLATFORM=wayland), on the X display under i3.
// Beside them, the cases only a real compositor can judge: what it holds
// after a write, which only its own tree (i3 reports title_format; sway 1.7
// does not, but parses a mark's argument as it parses a format's) and the
// window system's request count show.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/ipc/ipc_connection.h"
#include "platform/ipc/ipc_journal.h"
#include "platform/ipc/title_format.h"
#include "platform/ipc/title_format_windows.h"
#include "tests/contract/qt_contract_backend.h"
#include "tests/contract/test_window.h"
#include "tests/x11/backend/test_client.h"

extern char** environ;

namespace kivo::contract {
namespace {

std::string socketPath() {
  for (const char* name : {"SWAYSOCK", "I3SOCK"}) {
    if (const char* path = std::getenv(name); path != nullptr && *path != '\0') return path;
  }
  return {};
}

[[noreturn]] void giveUp(const std::string& why) {
  std::fprintf(stderr, "ipc contract backend: %s\n", why.c_str());
  std::abort();
}

class IpcBackend : public QtContractBackend {
 public:
  IpcBackend() {
    std::string error;
    ipc_ = ipc::IpcConnection::open(socketPath(), error);
    commands_ = ipc::IpcConnection::open(socketPath(), error);
    if (!ipc_ || !commands_) giveUp(error);
    windows_ = ipc::TitleFormatWindowSystem::connect(*ipc_, error);
    if (!windows_) giveUp(error);
    // Floating from the start: a terminal made floating after it has drawn
    // itself tiled keeps the tiled size for a while.
    if (windows_->rules().compositor == ipc::Compositor::kSway)
      commands_->request(ipc::kRunCommand,
                         R"(for_window [app_id="^KivoContract"] floating enable)");
    journal_ = makeJournal();
  }
  ~IpcBackend() override {
    for (const auto& [h, pid] : terminals_) stop(pid);
    std::filesystem::remove(journalFile_);
  }

  WindowSystem& windows() override { return *windows_; }

  Hwnd createWindow(const std::string& className, const std::string& title) override {
    const Hwnd h = startWindow(className, title);
    if (h == 0) return 0;
    // Floating, as a dialog would be: the layout leaves its place to it.
    const auto con = windows_->containerOf(h);
    const std::string command = "[con_id=" + std::to_string(con.value_or(0)) + "] floating enable";
    if (con && commands_->request(ipc::kRunCommand, command) &&
        pumpUntil([&] { return windows_->getForegroundWindow() == h && isFloating(h); }, kDeadline))
      return h;
    destroyWindow(h);
    return 0;
  }

  void destroyWindow(Hwnd h) override {
    if (const auto it = terminals_.find(h); it != terminals_.end()) {
      stop(it->second);
      terminals_.erase(it);
    } else if (windows_->rules().compositor == ipc::Compositor::kI3) {
      client().destroy(static_cast<xcb_window_t>(h));
    }
    // Gone once the compositor has told so.
    pumpUntil([&] { return !windows_->containerOf(h); }, kDeadline);
  }

  DecorationJournal& journal() override { return *journal_; }
  std::unique_ptr<DecorationJournal> freshJournal() override { return makeJournal(); }

  // What the compositor cases below ask beyond the contract.
  ipc::TitleFormatWindowSystem& titleFormats() { return *windows_; }
  bool onSway() const { return windows_->rules().compositor == ipc::Compositor::kSway; }
  ipc::IpcConnection& commands() { return *commands_; }

 protected:
  void dispatchWindows() override { windows_->dispatch(); }

 private:
  std::unique_ptr<DecorationJournal> makeJournal() {
    return std::make_unique<ipc::IpcDecorationJournal>(
        journalFile_, socketPath(), [this](Hwnd h) { return windows_->containerOf(h); });
  }

  bool isFloating(Hwnd h) {
    const ipc::WindowInfo* info = windows_->windowInfo(h);
    return info != nullptr && info->floating;
  }

  // A window of another program, shown and in front; 0 on failure.
  Hwnd startWindow(const std::string& className, const std::string& title) {
    if (windows_->rules().compositor == ipc::Compositor::kI3) {
      const xcb_window_t w = client().create(className);
      client().setProperty(w, "WM_NAME", "UTF8_STRING", title);
      client().setProperty(w, "_NET_WM_NAME", "UTF8_STRING", title);
      xcb_map_window(client().xcb(), w);
      client().sync();
      if (pumpUntil([&] { return windows_->getForegroundWindow() == w; }, kDeadline)) return w;
      client().destroy(w);
      return 0;
    }
    std::vector<std::string> args = {"foot", "-a", className, "-T", title, "sleep", "600"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "foot", nullptr, nullptr, argv.data(), environ) != 0) return 0;
    Hwnd found = 0;
    if (pumpUntil(
            [&] {
              found = windows_->findWindow(className, title);
              return found != 0 && windows_->getForegroundWindow() == found;
            },
            kDeadline)) {
      terminals_[found] = pid;
      return found;
    }
    stop(pid);
    return 0;
  }

  static void stop(pid_t pid) {
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
  }

  x11::test::TestClient& client() {
    if (!client_) client_ = std::make_unique<x11::test::TestClient>();
    return *client_;
  }

  std::unique_ptr<ipc::IpcConnection> ipc_;
  // The test's own requests (floating, say) go over a connection of their
  // own: the window system's request count stays its own.
  std::unique_ptr<ipc::IpcConnection> commands_;
  std::unique_ptr<ipc::TitleFormatWindowSystem> windows_;
  const std::string journalFile_ =
      (std::filesystem::temp_directory_path() / ("kivo-contract-journal-" + runToken() + ".json"))
          .string();
  std::unique_ptr<DecorationJournal> journal_;
  std::map<Hwnd, pid_t> terminals_;
  std::unique_ptr<x11::test::TestClient> client_;
};

IpcBackend& ipcBackend() { return static_cast<IpcBackend&>(backend()); }

// The window's node in the compositor's tree, asked over the test's own
// connection.
nlohmann::json node(Hwnd h) {
  using nlohmann::json;
  const json tree = json::parse(ipcBackend().commands().request(ipc::kGetTree, "").value_or("{}"));
  const auto con = ipcBackend().titleFormats().containerOf(h);
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
  const nlohmann::json n = node(h);
  const auto it = n.find("title_format");
  return it != n.end() && it->is_string() ? it->get<std::string>() : "%title";
}

// A format written around the live title, followed with no request per
// tick and given back, is the fake compositor's case (tests/ipc), and the
// real program's end to end on sway and i3.
TEST(IpcCompositor, ArgumentsAndFormatsArriveAsWritten) {
  IpcBackend& b = ipcBackend();
  TestWindow w('Q', "T");
  const Hwnd h = w.get();
  ASSERT_NE(h, 0u);
  const std::string con = std::to_string(b.titleFormats().containerOf(h).value_or(0));
  const std::string text = R"(50%title "q" b\c ; , ] 'x' <&> 時計😀 = T)";
  if (b.onSway()) {
    // sway 1.7 does not report formats: its marks go through the same
    // parsing, and come back as given.
    const std::string mark = R"(a "q" b\c ; , ] 'x' 時計😀)";
    ASSERT_TRUE(b.commands().request(
        ipc::kRunCommand,
        "[con_id=" + con + "] mark --add " + quoteArgument(mark, ipc::Compositor::kSway)));
    EXPECT_EQ(nlohmann::json::parse(b.commands().request(5 /* GET_MARKS */, "").value_or("[]")),
              nlohmann::json::array({mark}));
  }
  b.titleFormats().setWindowText(h, text);
  EXPECT_EQ(b.titleFormats().getWindowText(h, 256), text);
  if (!b.onSway()) {
    // The Pango font of the test's i3 makes the format markup.
    EXPECT_EQ(reportedFormat(h),
              "50%\u2060title \"q\" b\\c ; , ] 'x' &lt;&amp;&gt; 時計😀 = %title");
  }
}

// The journal's records themselves are the journal contract's.
TEST(IpcCompositor, AKilledRunsFormatsAreGivenBackAtTheNextStart) {
  IpcBackend& b = ipcBackend();
  TestWindow w('K', "Left");
  const Hwnd h = w.get();
  ASSERT_NE(h, 0u);
  b.titleFormats().setWindowText(h, "12:34 Left");
  b.journal().remember(h, "12:34 Left", "Left");
  // The next run: a connection and window system of its own, the same file.
  std::string error;
  auto nextIpc = ipc::IpcConnection::open(socketPath(), error);
  auto next = ipc::TitleFormatWindowSystem::connect(*nextIpc, error);
  ASSERT_NE(next, nullptr) << error;
  const std::unique_ptr<DecorationJournal> nextJournal = b.freshJournal();
  const auto asked = next->requestCount();
  next->giveBackLeftOver(*nextJournal);
  EXPECT_EQ(next->requestCount(), asked + 1);
  if (!b.onSway()) {
    EXPECT_EQ(reportedFormat(h), "%title");
  }
  EXPECT_TRUE(nextJournal->leftOver().empty());
}

}  // namespace

std::unique_ptr<ContractBackend> makeContractBackend() { return std::make_unique<IpcBackend>(); }

}  // namespace kivo::contract
