// The contract suite's factory for sway and i3: the title-format window
// system over the compositor's IPC socket, with real windows of another
// program. On sway (kivo_contract_sway, under scripts/sway-run.sh) those are
// foot terminals whose app_id is the class; on i3 (kivo_contract_i3, under
// scripts/x11-run.sh --i3) windows of the X11 test client. The journal lives
// in a scratch file. The Qt toolkit runs the timers and boxes: natively on
// Wayland under sway (QT_QPA_PLATFORM=wayland), on the X display under i3.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/ipc/ipc_connection.h"
#include "platform/ipc/ipc_journal.h"
#include "platform/ipc/title_format.h"
#include "platform/ipc/title_format_windows.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/sim/sim_store.h"
#include "tests/contract/contract.h"
#include "tests/x11/backend/test_client.h"
#include "tests/x11/qt/qt_rig.h"

extern char** environ;

namespace kivo::contract {
namespace {

using Clock = std::chrono::steady_clock;

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

class IpcBackend : public ContractBackend {
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
  Toolkit& toolkit() override { return toolkit_; }
  SettingsStore& store() override { return store_; }
  std::unique_ptr<SettingsStore> freshStore() override { return std::make_unique<sim::SimStore>(); }

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

  bool pumpUntil(const std::function<bool()>& condition, milliseconds deadline) override {
    const auto end = Clock::now() + deadline;
    for (;;) {
      windows_->dispatch();
      if (condition()) return true;
      if (Clock::now() >= end) return false;
      toolkit_.doEvents();
      if (condition()) return true;
      std::this_thread::sleep_for(milliseconds(5));
    }
  }
  void letTimePass(milliseconds duration) override { std::this_thread::sleep_for(duration); }

  void answerNextBox(int answer, milliseconds hold) override {
    QMessageBox::StandardButton button = QMessageBox::Ok;
    if (answer == kIdCancel) button = QMessageBox::Cancel;
    if (answer == kIdYes) button = QMessageBox::Yes;
    if (answer == kIdNo) button = QMessageBox::No;
    auto seenAt = std::make_shared<std::optional<Clock::time_point>>();
    boxUsers_.push_back(std::make_unique<qt::test::BoxUser>(button, [seenAt, hold] {
      if (!*seenAt) *seenAt = Clock::now();
      return Clock::now() >= **seenAt + hold;
    }));
  }

  DecorationJournal& journal() override { return *journal_; }
  std::unique_ptr<DecorationJournal> freshJournal() override { return makeJournal(); }

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

  sim::SimStore store_;
  qt::QtToolkit toolkit_{qt::test::testArgc(), qt::test::testArgv()};
  std::vector<std::unique_ptr<qt::test::BoxUser>> boxUsers_;
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

}  // namespace

std::unique_ptr<ContractBackend> makeContractBackend() { return std::make_unique<IpcBackend>(); }

}  // namespace kivo::contract
