#pragma once
// The settings store as the program sees it: the platform's store, with the
// values it refused to save held in memory.
//
// A store may refuse a write (a settings file that cannot be read, a
// directory or registry key the user may not change, a lock another program
// keeps). The program then goes on with what the user chose: the refused
// values are held here and every read of those keys gives them, until a
// later write of the key goes through or the program ends. Keys nothing was
// refused for are read from the store afresh, so a companion program's edits
// still take effect at once.

#include <map>
#include <optional>
#include <string>
#include <utility>

#include "platform/platform.h"

namespace kivo {

class HeldSettingsStore : public SettingsStore {
 public:
  explicit HeldSettingsStore(SettingsStore& stored) : stored_(stored) {}

  std::string getSetting(const std::string& section, const std::string& key,
                         const std::string& defaultValue) override;
  // A write the store refuses is held, then its RuntimeError goes on to the
  // caller.
  void saveSetting(const std::string& section, const std::string& key,
                   const std::string& value) override;
  // A refused delete holds the key as missing.
  void deleteSetting(const std::string& section, const std::string& key) override;

  // Holds a value without trying the store (nothing: the key is missing).
  void hold(const std::string& section, const std::string& key, std::optional<std::string> value);
  bool holds(const std::string& section, const std::string& key) const;
  bool holdsAny() const { return !held_.empty(); }

 private:
  using Name = std::pair<std::string, std::string>;
  // Section and key as the stores compare them: up to the first NUL,
  // without regard to ASCII case.
  static Name nameOf(const std::string& section, const std::string& key);

  SettingsStore& stored_;
  std::map<Name, std::optional<std::string>> held_;
};

}  // namespace kivo
