// The suite's one backend per test program, and the run's unique token.
#include "tests/contract/contract.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>

namespace kivo::contract {
namespace {

std::unique_ptr<ContractBackend>& instance() {
  static std::unique_ptr<ContractBackend> backend;
  return backend;
}

// Destroys the backend after the last case, while the test framework still
// runs: a real toolkit must not be torn down among static destructors.
class BackendEnvironment : public ::testing::Environment {
 public:
  void TearDown() override { instance().reset(); }
};

[[maybe_unused]] const auto* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new BackendEnvironment);

}  // namespace

ContractBackend& backend() {
  auto& b = instance();
  if (!b) b = makeContractBackend();
  return *b;
}

const std::string& runToken() {
  static const std::string token = [] {
    // Each case may run in a process of its own, side by side with others:
    // mix the system's entropy with the steady clock, in case a platform's
    // random device is weak.
    std::random_device device;
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::uint32_t value =
        device() ^ static_cast<std::uint32_t>(ticks) ^ static_cast<std::uint32_t>(ticks >> 32);
    char text[9];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(value));
    return std::string(text);
  }();
  return token;
}

}  // namespace kivo::contract
