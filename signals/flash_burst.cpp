// The title-bar flash burst.
#include "signals/flash_burst.h"

#include <limits>

#include "settings/convert.h"
#include "settings/layout.h"
#include "signals/window_shake.h"

namespace kivo {

namespace {

// The place a limit that is no number is reported under, as it always was.
constexpr const char* kWhere = "frmMain_Load";
constexpr const char* kLimitRepaired =
    "レジストリの点滅回数設定が正しくありません。\r\n初期設定値に戻しました。";

}  // namespace

bool FlashBurst::step(Hwnd front) {
  windows_.flashWindow(front, true);
  if (count_ == 0) {
    // A limit that is not a number is reported; the burst then runs with
    // the limit it had.
    try {
      limit_ = readByte(store_, keys::FlashLimit);
    } catch (const RuntimeError& e) {
      if (e.number() != kErrOverflow) {
        errors_.report(ErrorSource::Program, kWhere, e);
      } else {
        limit_ = toByte(keys::FlashLimit.defaultText);
        repairSetting(store_, errors_, owner_(), kLimitRepaired, keys::FlashLimit, limit_);
      }
    }
    count_ = 1;
    return true;
  }
  // A limit of 255 ends at the counter's own end: 256 inversions, the title
  // bar as it was, and the valid setting left alone.
  if (count_ > limit_ || count_ == std::numeric_limits<std::uint8_t>::max()) {
    count_ = 0;
    return false;
  }
  ++count_;
  return true;
}

}  // namespace kivo
