#pragma once
// Simulated per-user settings store: sections of keys with text values.
// It can be told to refuse writes, as a real store does when its file is
// unusable or the user may not change it.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/platform.h"

namespace kivo::sim {

// What the store objects over one storage share: the per-user store itself,
// which outlives any one object that reads or writes it.
struct SimStorage {
  std::map<std::pair<std::string, std::string>, std::string> values;
  int writes = 0;  // saves and deletes, through any store object
  // While set, every save and delete fails with RuntimeError 5 and this
  // reason, and changes nothing.
  std::optional<std::string> refusal;
};

inline constexpr const char* kSimRefusal =
    "The simulated settings store refuses every write (refuse-writes on).";

class SimStore : public SettingsStore {
 public:
  // A store over storage of its own.
  SimStore() : storage_(std::make_shared<SimStorage>()) {}
  // Another store object over an existing storage, as a second program (or
  // the next run of this one) sees what the first wrote.
  explicit SimStore(std::shared_ptr<SimStorage> storage) : storage_(std::move(storage)) {}

  std::string getSetting(const std::string& section, const std::string& key,
                         const std::string& defaultValue) override;
  void saveSetting(const std::string& section, const std::string& key,
                   const std::string& value) override;
  void deleteSetting(const std::string& section, const std::string& key) override;

  const std::shared_ptr<SimStorage>& storage() const { return storage_; }
  bool has(const std::string& section, const std::string& key) const;
  void clear() { storage_->values.clear(); }
  int writes() const { return storage_->writes; }
  // Saves and deletes fail with `reason` from now on (nothing: they work
  // again). Reads are not affected.
  void refuseWrites(std::optional<std::string> reason) { storage_->refusal = std::move(reason); }
  bool refusing() const { return storage_->refusal.has_value(); }

 private:
  std::shared_ptr<SimStorage> storage_;
};

}  // namespace kivo::sim
