// The platform's store with the values it refused held in memory.
#include "settings/held_store.h"

#include "platform/errors.h"
#include "platform/text.h"

namespace kivo {

HeldSettingsStore::Name HeldSettingsStore::nameOf(const std::string& section,
                                                  const std::string& key) {
  const auto folded = [](std::string_view s) {
    std::string out(s);
    for (char& c : out) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
  };
  return {folded(text::cutAtNul(section)), folded(text::cutAtNul(key))};
}

std::string HeldSettingsStore::getSetting(const std::string& section, const std::string& key,
                                          const std::string& defaultValue) {
  const auto it = held_.find(nameOf(section, key));
  if (it == held_.end()) return stored_.getSetting(section, key, defaultValue);
  return it->second.value_or(defaultValue);
}

void HeldSettingsStore::saveSetting(const std::string& section, const std::string& key,
                                    const std::string& value) {
  try {
    stored_.saveSetting(section, key, value);
  } catch (const RuntimeError&) {
    hold(section, key, std::string(text::cutAtNul(value)));
    throw;
  }
  held_.erase(nameOf(section, key));
}

void HeldSettingsStore::deleteSetting(const std::string& section, const std::string& key) {
  // Missing as far as the program knows: deleting a missing key is an error.
  const auto it = held_.find(nameOf(section, key));
  if (it != held_.end() && !it->second) throw RuntimeError(kErrInvalidCall);
  try {
    stored_.deleteSetting(section, key);
  } catch (const RuntimeError&) {
    hold(section, key, std::nullopt);
    throw;
  }
  held_.erase(nameOf(section, key));
}

void HeldSettingsStore::hold(const std::string& section, const std::string& key,
                             std::optional<std::string> value) {
  held_[nameOf(section, key)] = std::move(value);
}

bool HeldSettingsStore::holds(const std::string& section, const std::string& key) const {
  return held_.count(nameOf(section, key)) != 0;
}

}  // namespace kivo
