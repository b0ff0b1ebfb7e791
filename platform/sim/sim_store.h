#pragma once
// Simulated per-user settings store: sections of keys with text values.

#include <map>
#include <string>
#include <utility>

#include "platform/platform.h"

namespace kivo::sim {

class SimStore : public SettingsStore {
 public:
  std::string getSetting(const std::string& section, const std::string& key,
                         const std::string& defaultValue) override;
  void saveSetting(const std::string& section, const std::string& key,
                   const std::string& value) override;
  void deleteSetting(const std::string& section, const std::string& key) override;

  bool has(const std::string& section, const std::string& key) const;
  const std::map<std::pair<std::string, std::string>, std::string>& all() const { return values_; }
  void clear() { values_.clear(); }
  int writes() const { return writes_; }

 private:
  std::map<std::pair<std::string, std::string>, std::string> values_;
  int writes_ = 0;
};

}  // namespace kivo::sim
