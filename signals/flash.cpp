// The caption flash burst (tmrFlash_Timer) and the window shake (VibrateWindow).
#include <cstdint>
#include <limits>
#include <string>

#include "engine/state.h"
#include "platform/errors.h"
#include "settings/layout.h"
#include "ui/frmMain.h"

namespace kivo {

namespace {

constexpr const char* kFlashLimitRepaired =
    "レジストリの点滅回数設定が正しくありません。\r\n初期設定値に戻しました。";
constexpr const char* kVibrateWidthRepaired =
    "レジストリの振幅設定が正しくありません。\r\n初期設定値に戻しました。";
constexpr int kErrDivisionByZero = 11;
constexpr std::uint8_t kDefaultFlashLimit = 50;
constexpr std::int16_t kDefaultVibrateWidth = 20;
// Keep the size, show the window; it may be activated and re-stacked.
constexpr std::uint32_t kShakeFlags = kSwpNoSize | kSwpShowWindow;
static_assert(kShakeFlags == 65);

// One step of a procedure whose trap repairs its setting: an overflow means
// the stored value is out of range, so `repair` runs (and says so); any
// other error is reported under the procedure's tag.
template <class Step, class Repair>
void repairingStep(Platform& p, const char* tag, Step&& step, Repair&& repair) {
  try {
    step();
  } catch (const RuntimeError& e) {
    if (e.number() == kErrOverflow) {
      repair();
    } else {
      ReportError(p.toolkit, p.program, tag, e);
    }
  }
}

// Tells the user an out-of-range setting was put back to its default, and
// stores the default.
void repairSetting(Platform& p, Hwnd owner, const char* text, const SettingKey& key,
                   long fallback) {
  p.toolkit.messageBox(owner, text, kErrorTitle, kReportStyle);
  writeNumber(p.store, key, fallback);
}

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

void frmMain::tmrFlash_Timer() {
  // The window in front now: a burst follows the user to another window.
  p_.windows.flashWindow(s_.hActiveWnd, true);
  if (bytFlashCount == 0) {
    // A limit that is not a number is reported under the tag this handler
    // has always used; the burst then runs with the limit it had.
    repairingStep(
        p_, "frmMain_Load", [&] { bytFlashLimit = readByte(p_.store, keys::FlashLimit); },
        [&] {
          bytFlashLimit = kDefaultFlashLimit;
          repairSetting(p_, hwnd(), kFlashLimitRepaired, keys::FlashLimit, kDefaultFlashLimit);
        });
    bytFlashCount = 1;
  } else if (bytFlashCount > bytFlashLimit) {
    tmrFlash->setEnabled(false);
    bytFlashCount = 0;
  } else if (bytFlashCount == std::numeric_limits<std::uint8_t>::max()) {
    // Only a limit of 255 gets here: the byte counter cannot go further, and
    // the limit is a perfectly valid setting, so the burst simply ends (256
    // inversions, the title bar as it was) instead of calling the setting
    // wrong and overwriting it.
    tmrFlash->setEnabled(false);
    bytFlashCount = 0;
  } else {
    ++bytFlashCount;
  }
}

void frmMain::VibrateWindow(Hwnd hWnd, std::int16_t n) {
  std::int16_t w = 0;
  // An out-of-range amplitude is repaired and the shake goes on with the
  // default; anything else is reported and the shake goes on with what it
  // has. A window placed where the offsets overflow would raise the box at
  // every move, so a shake repairs (and says so) at most once.
  bool repaired = false;
  auto step = [&](auto&& body) {
    repairingStep(p_, "frmMain!VibrateWindow", body, [&] {
      if (repaired) return;
      repaired = true;
      w = kDefaultVibrateWidth;
      repairSetting(p_, hwnd(), kVibrateWidthRepaired, keys::VibrateWidth, kDefaultVibrateWidth);
    });
  };

  step([&] { w = readInt16(p_.store, keys::VibrateWidth); });

  // Twips to whole pixels, truncating toward zero.
  std::int32_t dx = 0, dy = 0;
  step([&] {
    const int tx = p_.toolkit.twipsPerPixelX();
    const int ty = p_.toolkit.twipsPerPixelY();
    if (tx == 0 || ty == 0) throw RuntimeError(kErrDivisionByZero, "Division by zero");
    dx = w / tx;
    dy = w / ty;
  });

  Rect r;
  step([&] { p_.windows.getWindowRect(hWnd, r); });

  auto move = [&](std::int32_t ox, std::int32_t oy) {
    step([&] {
      p_.windows.setWindowPos(hWnd, kHwndNoTopmost, offset(r.left, ox), offset(r.top, oy), 0, 0,
                              kShakeFlags);
    });
    step([&] { p_.toolkit.doEvents(); });
  };
  // Right, down, left, up around the place taken once above; no move back,
  // so the window ends dy pixels above where it was.
  for (int round = 0; round <= n; ++round) {
    move(dx, 0);
    move(0, dy);
    move(-dx, 0);
    move(0, -dy);
  }
}

}  // namespace kivo
