// In-memory settings store with the classic missing-key rules.
#include "platform/sim/sim_store.h"

#include "platform/errors.h"

namespace kivo::sim {

std::string SimStore::getSetting(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) {
  const auto it = values_.find({section, key});
  return it == values_.end() ? defaultValue : it->second;
}

void SimStore::saveSetting(const std::string& section, const std::string& key,
                           const std::string& value) {
  values_[{section, key}] = value;
  ++writes_;
}

void SimStore::deleteSetting(const std::string& section, const std::string& key) {
  if (values_.erase({section, key}) == 0) throw RuntimeError(kErrInvalidCall);
  ++writes_;
}

bool SimStore::has(const std::string& section, const std::string& key) const {
  return values_.count({section, key}) != 0;
}

}  // namespace kivo::sim
