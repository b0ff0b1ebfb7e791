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
  // Each case may run in a process of its own, side by side with others:
  // the system's entropy mixed with the steady clock, in case a platform's
  // random device is weak.
  static const std::string token = [] {
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    const auto value = static_cast<std::uint32_t>(std::random_device{}() ^ ticks ^ (ticks >> 32));
    char text[9];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(value));
    return std::string(text);
  }();
  return token;
}

}  // namespace kivo::contract
