// The settings part of the contract over the Linux desktop's INI store, on a
// settings file in a scratch directory of its own (never the user's; it goes
// with its sections when the run ends). The windows and the toolkit are the
// simulated desktop's (this instance runs no case of theirs).
#include "platform/sim/sim_desktop.h"
#include "platform/x11/ini_store.h"
#include "tests/contract/contract.h"
#include "tests/x11/services/test_dir.h"

namespace kivo::contract {
namespace {

class IniBackend : public ContractBackend {
 public:
  WindowSystem& windows() override { return d_.windows; }
  Toolkit& toolkit() override { return d_.toolkit; }
  SettingsStore& store() override { return store_; }
  std::unique_ptr<SettingsStore> freshStore() override {
    return std::make_unique<x11::IniStore>(store_.path());
  }

 private:
  x11::testing::TempDir dir_;
  sim::SimDesktop d_;
  x11::IniStore store_{dir_ / "kivo/settings.ini"};
};

}  // namespace

std::unique_ptr<ContractBackend> makeContractBackend() { return std::make_unique<IniBackend>(); }

}  // namespace kivo::contract
