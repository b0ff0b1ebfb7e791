#pragma once
// What the standard clock shows, as the settings dialog stores it.

#include <cstdint>

namespace kivo {

class SettingsStore;

struct ClockFace {
  bool hours24 = true;     // "24h"
  bool seconds = false;    // "ShowSecond"
  bool year = false;       // "ShowYear"
  bool date = false;       // "ShowDate" (read only for the styles 0 and 1)
  bool weekday = false;    // "ShowDay"  (read only for the styles 0 and 1)
  std::uint8_t style = 0;  // the "UserTaste" the caller passes: 0 western-ish (month
                           // names), 1 general (m/d), other values: no date part
};

// Reads the display keys in this order: 24h, ShowSecond, ShowYear, then
// (style 0 or 1 only) ShowDate and ShowDay, each by the equals-1 test. A
// key that holds no number (error 13) or too large a one (error 6) raises
// the error at that key: the keys after it are not read.
ClockFace readClockFace(SettingsStore& store, std::uint8_t style);

}  // namespace kivo
