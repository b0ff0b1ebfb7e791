// The window shake.
#include "signals/window_shake.h"

#include <limits>

#include "settings/convert.h"
#include "settings/layout.h"

namespace kivo {

namespace {

constexpr const char* kWhere = "frmMain!VibrateWindow";
constexpr const char* kWidthRepaired =
    "レジストリの振幅設定が正しくありません。\r\n初期設定値に戻しました。";
// Keep the size, show the window; it may be activated and re-stacked.
constexpr std::uint32_t kShakeFlags = kSwpNoSize | kSwpShowWindow;
static_assert(kShakeFlags == 65);
constexpr int kRepairStyle = kMbOkOnly | kMbIconStop | kMbSystemModal;

// A screen coordinate plus an offset, raising an overflow when the sum
// leaves the 32-bit range.
std::int32_t offset(std::int32_t base, std::int32_t delta) {
  const std::int64_t sum = std::int64_t{base} + delta;
  if (sum < std::numeric_limits<std::int32_t>::min() ||
      sum > std::numeric_limits<std::int32_t>::max()) {
    throw RuntimeError(kErrOverflow);
  }
  return static_cast<std::int32_t>(sum);
}

}  // namespace

void repairSetting(SettingsStore& store, ErrorReporter& errors, Hwnd owner, const char* text,
                   const SettingKey& key, long fallback) {
  errors.warn(owner, text, kRepairStyle);
  writeNumber(store, key, fallback);
}

template <class Step>
void WindowShake::step(Step&& body, std::int16_t& width, bool& repaired) {
  try {
    body();
  } catch (const RuntimeError& e) {
    if (e.number() != kErrOverflow) {
      errors_.report(ErrorSource::Program, kWhere, e);
      return;
    }
    // An overflow means the amplitude is out of range. A window placed where
    // the offsets overflow would raise the box at every move, so a shake
    // repairs (and says so) at most once.
    if (repaired) return;
    repaired = true;
    width = toInt16(keys::VibrateWidth.defaultText);
    // A store that refuses the default ends the shake: the caller reports it.
    repairSetting(store_, errors_, owner_(), kWidthRepaired, keys::VibrateWidth, width);
  }
}

void WindowShake::shake(Hwnd window, std::int16_t rounds) {
  std::int16_t width = 0;
  bool repaired = false;
  step([&] { width = readInt16(store_, keys::VibrateWidth); }, width, repaired);

  // Twips to whole pixels, truncating toward zero.
  std::int32_t dx = 0, dy = 0;
  step(
      [&] {
        const int tx = toolkit_.twipsPerPixelX();
        const int ty = toolkit_.twipsPerPixelY();
        if (tx == 0 || ty == 0) throw RuntimeError(kErrDivisionByZero);
        dx = width / tx;
        dy = width / ty;
      },
      width, repaired);

  Rect r;
  windows_.getWindowRect(window, r);
  const auto move = [&](std::int32_t ox, std::int32_t oy) {
    step(
        [&] {
          windows_.setWindowPos(window, kHwndNoTopmost, offset(r.left, ox), offset(r.top, oy), 0, 0,
                                kShakeFlags);
        },
        width, repaired);
    // Lets pending messages through; a handler they run may fail.
    step([&] { toolkit_.doEvents(); }, width, repaired);
  };
  for (int round = 0; round <= rounds; ++round) {
    move(dx, 0);
    move(0, dy);
    move(-dx, 0);
    move(0, -dy);
  }
}

}  // namespace kivo
