#pragma once
// The settings the program runs with: loaded from the store at start-up,
// changed by the windows (some boxes act at once, before OK), read by the
// caption engine and the signals. The stored flags keep their stored byte
// values: a value other than 0 or 1 has a meaning of its own where the
// comments say so.

#include <array>
#include <cstdint>
#include <string>

#include "settings/layout.h"

namespace kivo {

class SettingsStore;

// Where the clock goes in a caption.
struct CaptionLayout {
  std::uint8_t clockRight = 0;       // 0: clock first; 1: clock last; other: no clock
  std::uint8_t equalsSeparator = 0;  // 0: " "; 1: " = "; other: no clock
};

struct AlarmSettings {
  std::uint8_t on = 0;  // rings only when exactly 1
  std::string message;
  std::string time;  // "hh:nn", two digits each, as stored; anything else never rings
};

// The window classes whose windows get no clock: an unbroken run of `count`
// entries from the first.
struct WindowList {
  std::array<std::string, kWindowListSize> classes;
  std::uint8_t count = 0;
};

// The "Plug in" flags companion programs set.
struct CompanionFlags {
  std::uint8_t versionMarkH = 0;    // "Vudadiz": an H in the version text when 1
  std::uint8_t versionMarkT = 0;    // "KivoTT": a T in the version text when 1
  std::uint8_t customTemplate = 0;  // "KivoXX": the companion's template shows the clock
};

struct RunningSettings {
  CaptionLayout layout;
  std::int16_t checkInterval = 0;  // milliseconds between ticks: 50, 250 or 1000
  AlarmSettings alarm;
  WindowList windowList;
  std::string clockTemplate;
  CompanionFlags companions;
};

// The loaders assign field by field in the order of the store: a stored
// value that does not convert raises its RuntimeError (6 or 13) with the
// fields before it already assigned.

// "Alarm", "EqualSeparate", "AlarmMessage", "AlarmTime". The separator comes
// with the alarm: the settings dialog edits both.
void loadAlarmSettings(SettingsStore& store, RunningSettings& settings);
// The alarm and separator of a fresh installation.
void applyDefaultAlarmSettings(RunningSettings& settings);
// "WindowList0".. up to the first empty entry; the entries after it keep
// what they held.
void loadWindowList(SettingsStore& store, WindowList& list);
CompanionFlags readCompanionFlags(SettingsStore& store);

}  // namespace kivo
