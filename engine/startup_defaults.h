#pragma once
// What start-up and the main window fall back on when a stored setting
// cannot be loaded: the defaults of the settings layout.

#include <string>

#include "platform/errors.h"
#include "platform/platform.h"

namespace kivo {

class frmMain;
struct EngineState;

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

// The main options of a fresh installation into the engine state and the
// controls: clock on the left, Middle (250 ms, applied to the tick), the first taste.
void ApplyDefaultMainOptions(frmMain& form, EngineState& s);

// The alarm settings of a fresh installation: alarm off, " = ", the default message.
void ApplyDefaultAlarmSettings(EngineState& s);

}  // namespace kivo
