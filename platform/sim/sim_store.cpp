// In-memory settings store with the classic missing-key rules.
#include "platform/sim/sim_store.h"

#include "platform/errors.h"

namespace kivo::sim {

std::string SimStore::getSetting(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) {
  const auto it = storage_->values.find({section, key});
  return it == storage_->values.end() ? defaultValue : it->second;
}

void SimStore::saveSetting(const std::string& section, const std::string& key,
                           const std::string& value) {
  if (storage_->refusal) throw RuntimeError(kErrInvalidCall, *storage_->refusal);
  storage_->values[{section, key}] = value;
  ++storage_->writes;
}

void SimStore::deleteSetting(const std::string& section, const std::string& key) {
  if (storage_->refusal) throw RuntimeError(kErrInvalidCall, *storage_->refusal);
  if (storage_->values.erase({section, key}) == 0) throw RuntimeError(kErrInvalidCall);
  ++storage_->writes;
}

bool SimStore::has(const std::string& section, const std::string& key) const {
  return storage_->values.count({section, key}) != 0;
}

}  // namespace kivo::sim
