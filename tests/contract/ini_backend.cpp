// The settings part of the contract over the Linux desktop's INI store, on a
// settings file in a scratch directory of its own (never the user's), the
// services tests' kind. The
// windows and the toolkit are the simulated desktop's (this instance runs no
// case of theirs).
#include <filesystem>
#include <fstream>
#include <iterator>

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
  // Every key is gone by now; the section's line goes too, as a companion
  // editing the file by hand would remove it.
  void dropSection(const std::string& section) override {
    std::ifstream in(store_.path(), std::ios::binary);
    std::string text(std::istreambuf_iterator<char>(in), {});
    in.close();
    const std::string line = "\n[" + section + "]\n";
    if (const std::size_t at = ("\n" + text).find(line); at != std::string::npos) {
      text.erase(at, line.size() - 1);
      std::ofstream(store_.path(), std::ios::binary | std::ios::trunc) << text;
    }
  }

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
      case Promise::SettingValuesVerbatim:
      case Promise::DeleteMissingSettingFails:
      case Promise::DeleteSettingRemovesIt:
      case Promise::FreshStoreSharesStorage: return std::nullopt;
      default: return "this instance checks the settings store only";
    }
  }

 private:
  x11::testing::TempDir dir_;
  sim::SimDesktop d_;
  x11::IniStore store_{dir_ / "kivo/settings.ini"};
};

}  // namespace

std::unique_ptr<ContractBackend> makeContractBackend() { return std::make_unique<IniBackend>(); }

}  // namespace kivo::contract
