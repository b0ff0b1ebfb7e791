// The settings part of the contract over the store that start-up falls back
// on: it keeps nothing, so every key is missing, yet it is a store like any
// other. The windows and the toolkit are the simulated desktop's (this
// instance runs no case of theirs).
#include "platform/sim/sim_desktop.h"
#include "settings/defaults_store.h"
#include "tests/contract/contract.h"

namespace kivo::contract {
namespace {

class DefaultsStoreBackend : public ContractBackend {
 public:
  WindowSystem& windows() override { return d_.windows; }
  Toolkit& toolkit() override { return d_.toolkit; }
  SettingsStore& store() override { return store_; }
  std::unique_ptr<SettingsStore> freshStore() override {
    return std::make_unique<DefaultsOnlyStore>();
  }
  void dropSection(const std::string&) override {}

  Hwnd createWindow(const std::string&, const std::string&) override { return 0; }
  void destroyWindow(Hwnd) override {}
  bool pumpUntil(const std::function<bool()>& condition, milliseconds) override {
    return condition();
  }
  void letTimePass(milliseconds) override {}
  void answerNextBox(int, milliseconds) override {}

  std::optional<std::string> cannot(Promise promise) override {
    switch (promise) {
      case Promise::MissingSettingGivesDefault:
      case Promise::DeleteMissingSettingFails: return std::nullopt;
      case Promise::SettingValuesVerbatim:
      case Promise::DeleteSettingRemovesIt:
      case Promise::FreshStoreSharesStorage:
        return "the defaults-only store keeps nothing it is given, by design";
      default: return "this instance checks the settings store only";
    }
  }

 private:
  sim::SimDesktop d_;
  DefaultsOnlyStore store_;
};

}  // namespace

std::unique_ptr<ContractBackend> makeContractBackend() {
  return std::make_unique<DefaultsStoreBackend>();
}

}  // namespace kivo::contract
