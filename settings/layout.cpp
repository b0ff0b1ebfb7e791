// Readers and writers of the settings store layout.
#include "settings/layout.h"

#include "platform/platform.h"
#include "settings/convert.h"

namespace kivo {

std::string readText(SettingsStore& store, const SettingKey& key) {
  return store.getSetting(key.section, key.key, key.defaultText);
}
std::uint8_t readByte(SettingsStore& store, const SettingKey& key) { return toByte(readText(store, key)); }
std::int16_t readInt16(SettingsStore& store, const SettingKey& key) {
  return toInt16(readText(store, key));
}
bool readEqualsOne(SettingsStore& store, const SettingKey& key) {
  return equalsOne(readText(store, key));
}

void writeText(SettingsStore& store, const SettingKey& key, const std::string& value) {
  store.saveSetting(key.section, key.key, value);
}
void writeNumber(SettingsStore& store, const SettingKey& key, long value) {
  store.saveSetting(key.section, key.key, std::to_string(value));
}
void deleteKey(SettingsStore& store, const SettingKey& key) { store.deleteSetting(key.section, key.key); }

}  // namespace kivo
