// Loading the settings the program runs with.
#include "settings/running_settings.h"

#include "settings/convert.h"

namespace kivo {

void loadAlarmSettings(SettingsStore& store, RunningSettings& settings) {
  settings.alarm.on = readByte(store, keys::Alarm);
  settings.layout.equalsSeparator = readByte(store, keys::EqualSeparate);
  settings.alarm.message = readText(store, keys::AlarmMessage);
  settings.alarm.time = readText(store, keys::AlarmTime);
}

void applyDefaultAlarmSettings(RunningSettings& settings) {
  settings.alarm.on = toByte(keys::Alarm.defaultText);
  settings.layout.equalsSeparator = toByte(keys::EqualSeparate.defaultText);
  settings.alarm.message = keys::AlarmMessage.defaultText;
  settings.alarm.time = keys::AlarmTime.defaultText;
}

void loadWindowList(SettingsStore& store, WindowList& list) {
  for (std::size_t i = 0; i < list.classes.size(); ++i) {
    list.classes[i] = readText(store, keys::WindowList[i]);
    if (list.classes[i].empty()) {
      if (i == 0) list.count = 0;
      return;
    }
    list.count = static_cast<std::uint8_t>(i + 1);
  }
}

CompanionFlags readCompanionFlags(SettingsStore& store) {
  CompanionFlags flags;
  flags.versionMarkH = readByte(store, keys::Vudadiz);
  flags.versionMarkT = readByte(store, keys::KivoTT);
  flags.customTemplate = readByte(store, keys::KivoXX);
  return flags;
}

}  // namespace kivo
