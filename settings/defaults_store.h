#pragma once
// The store that start-up and the main window fall back on when a stored
// setting cannot be loaded: it yields the defaults of the settings layout.

#include <string>

#include "platform/errors.h"
#include "platform/platform.h"

namespace kivo {

// A settings store that holds nothing: every read yields its default. The
// template builder run over it gives the template of a fresh installation.
// Writes are dropped, and since every key is missing, every delete fails as
// deleting a missing key fails in any store.
class DefaultsOnlyStore : public SettingsStore {
 public:
  std::string getSetting(const std::string&, const std::string&,
                         const std::string& defaultValue) override {
    return defaultValue;
  }
  void saveSetting(const std::string&, const std::string&, const std::string&) override {}
  void deleteSetting(const std::string&, const std::string&) override {
    throw RuntimeError(kErrInvalidCall);
  }
};

}  // namespace kivo
