// A group of settings written in order; a refusal is held and told once.
#include "settings/settings_save.h"

#include <algorithm>

#include "platform/errors.h"

namespace kivo {

namespace {

std::string joined(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ", ") + n;
  return out;
}

}  // namespace

void SettingsSave::text(const SettingKey& key, const std::string& value) { write(key, value); }

void SettingsSave::number(const SettingKey& key, long value) { write(key, std::to_string(value)); }

void SettingsSave::remove(const SettingKey& key) { write(key, std::nullopt); }

void SettingsSave::write(const SettingKey& key, const std::optional<std::string>& value) {
  const std::string name = key.key;
  if (reason_) {
    // Not tried: held like the refused one before it.
    store_.hold(key.section, key.key, value);
    if (std::find(notSaved_.begin(), notSaved_.end(), name) == notSaved_.end())
      notSaved_.push_back(name);
    return;
  }
  try {
    if (value) {
      store_.saveSetting(key.section, key.key, *value);
    } else {
      store_.deleteSetting(key.section, key.key);
    }
  } catch (const RuntimeError& e) {
    reason_ = e.description();
    std::erase(saved_, name);  // written "1" just before its delete, say
    notSaved_.push_back(name);
    return;
  }
  if (std::find(saved_.begin(), saved_.end(), name) == saved_.end()) saved_.push_back(name);
}

std::string SettingsSave::refusalText() const {
  if (!reason_) return {};
  const std::string crlf = "\r\n";
  std::string out = "Kivo could not save " + what_ + "." + crlf + crlf;
  out += "Not saved: " + joined(notSaved_) + crlf;
  if (!saved_.empty()) out += "Saved: " + joined(saved_) + crlf;
  out += crlf + "Why: " + *reason_ + crlf + crlf;
  out +=
      "Kivo goes on with these settings until it ends. Save them again once the reason is dealt "
      "with.";
  return out;
}

}  // namespace kivo
