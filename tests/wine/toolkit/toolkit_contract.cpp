// The contract suite's timers and message boxes on the Win32 toolkit, real
// time under Wine. The window and settings parts belong to the full Win32
// instance of the suite; this one links only the timers part, which never
// asks for them.
#include <memory>
#include <thread>
#include <vector>

#include "platform/sim/sim_events.h"
#include "platform/sim/sim_store.h"
#include "platform/sim/sim_windows.h"
#include "tests/contract/contract.h"
#include "tests/wine/toolkit/toolkit_rig.h"

namespace kivo::contract {
namespace {

class ToolkitBackend : public ContractBackend {
 public:
  ~ToolkitBackend() override {
    for (std::thread& t : answerers_) t.join();
  }
  WindowSystem& windows() override { return windows_; }
  Toolkit& toolkit() override { return toolkit_; }
  SettingsStore& store() override { return store_; }
  std::unique_ptr<SettingsStore> freshStore() override {
    return std::make_unique<sim::SimStore>(store_.storage());
  }
  void dropSection(const std::string&) override {}
  Hwnd createWindow(const std::string&, const std::string&) override { return 0; }
  void destroyWindow(Hwnd) override {}

  bool pumpUntil(const std::function<bool()>& condition, milliseconds deadline) override {
    return win32::test::pumpUntil(toolkit_, condition, deadline);
  }
  void letTimePass(milliseconds duration) override { Sleep(static_cast<DWORD>(duration.count())); }
  void answerNextBox(int answer, milliseconds hold) override {
    answerers_.push_back(win32::test::answerNextBox(answer, hold));
  }
  std::optional<std::string> cannot(Promise) override { return std::nullopt; }

 private:
  sim::EventLog log_;
  sim::SimWindowSystem windows_{log_};
  sim::SimStore store_;
  win32::Win32Toolkit toolkit_{GetModuleHandleW(nullptr)};
  std::vector<std::thread> answerers_;
};

}  // namespace

std::unique_ptr<ContractBackend> makeContractBackend() {
  return std::make_unique<ToolkitBackend>();
}

}  // namespace kivo::contract
