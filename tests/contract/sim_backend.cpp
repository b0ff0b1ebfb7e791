// The contract suite's factory for the simulated desktop.
#include "platform/sim/sim_desktop.h"
#include "tests/contract/contract.h"

namespace kivo::contract {
namespace {

class SimBackend : public ContractBackend {
 public:
  WindowSystem& windows() override { return d_.windows; }
  Toolkit& toolkit() override { return d_.toolkit; }
  SettingsStore& store() override { return d_.store; }
  std::unique_ptr<SettingsStore> freshStore() override {
    return std::make_unique<sim::SimStore>(d_.store.storage());
  }

  DecorationJournal& journal() override { return d_.journal; }
  std::unique_ptr<DecorationJournal> freshJournal() override {
    return std::make_unique<sim::SimDecorationJournal>(d_.windows);
  }

  Hwnd createWindow(const std::string& className, const std::string& title) override {
    const Hwnd h = d_.windows.newHandle();
    d_.windows.addWindow(h, className, title);
    return h;
  }
  void destroyWindow(Hwnd h) override { d_.windows.closeWindow(h); }

  // Simulated time moves a millisecond at a time, firing every timer as it
  // falls due, so a condition is seen at the first moment it holds.
  bool pumpUntil(const std::function<bool()>& condition, milliseconds deadline) override {
    const std::int64_t end = d_.clock.nowMs() + deadline.count();
    while (!condition()) {
      if (d_.clock.nowMs() >= end) return false;
      d_.toolkit.runFor(1);
    }
    return true;
  }
  void letTimePass(milliseconds duration) override { d_.clock.advanceMs(duration.count()); }
  void answerNextBox(int answer, milliseconds hold) override {
    d_.toolkit.queueAnswer(answer, hold.count());
  }

 private:
  sim::SimDesktop d_;
};

}  // namespace

std::unique_ptr<ContractBackend> makeContractBackend() { return std::make_unique<SimBackend>(); }

}  // namespace kivo::contract
