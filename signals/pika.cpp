// The hourly signals (ChkPika): chime or cuckoo count, caption flash and window shake.
#include <cstdint>
#include <string>

#include "clocktext/picture.h"
#include "engine/program.h"
#include "engine/state.h"
#include "platform/errors.h"
#include "platform/text.h"
#include "settings/convert.h"
#include "settings/layout.h"
#include "ui/frmMain.h"

namespace kivo {

namespace {

// sndPlaySound flags: every stroke names a file and never falls back on the
// system's default sound; only the last stroke returns at once.
constexpr std::uint32_t kStrokeSync = kSndFilename | kSndNoDefault;               // 131074
constexpr std::uint32_t kStrokeAsync = kSndFilename | kSndNoDefault | kSndAsync;  // 131075

}  // namespace

void frmMain::ChkPika() {
  Trap trap(p_.toolkit, p_.program, "frmMain!ChkPika");
  SettingsStore& store = p_.store;

  TimeOfDay now{};
  Date today{};
  std::string minutes;
  trap([&] {
    now = p_.clock.timeOfDay();
    today = p_.clock.date();  // after the time, so a call just past midnight has the new day
    minutes = formatTime(now, "nn");
  });

  if (minutes == "01") {
    bSignalDone = 0;
    return;
  }
  if (minutes != "00") return;

  // The minute-01 call is what re-arms the signals; when the machine slept
  // through it, the hour that follows would stay silent. A call in minute 00
  // of an hour other than the one last signalled therefore re-arms as well:
  // still at most one set of signals per hour.
  if (bSignalDone != 0 && (today != datSignalDate || now.hour != intSignalHour)) bSignalDone = 0;
  if (bSignalDone != 0) return;

  // A stored flag that cannot be read does not silence its signal: the
  // steps it guards run as if it were on.
  bool pipo = true;
  trap([&] { pipo = readEqualsOne(store, keys::TimePipo); });
  if (pipo) {
    std::string wave;
    trap([&] { wave = readText(store, keys::WaveFilePath1); });
    if (text::endsWithNoCase(wave, ".wav")) {
      std::string hato;
      trap([&] { hato = readText(store, keys::PipoHato); });
      if (hato == "0") {
        trap([&] { p_.sound.playSound(wave, kStrokeAsync); });
      } else if (hato == "1") {
        // The cuckoo strikes the hour: n strokes, 24 at midnight. All but
        // the last wait for their sound, letting pending messages through.
        std::uint8_t h = 0;
        trap([&] { h = toByte(formatTime(now, "h")); });
        const int n = h == 0 ? 24 : h;
        for (int i = 1; i <= n - 1; ++i) {
          trap([&] { p_.sound.playSound(wave, kStrokeSync); });
          trap([&] { p_.toolkit.doEvents(); });
        }
        trap([&] { p_.sound.playSound(wave, kStrokeAsync); });
      }
    }
  }

  bool pika = true;
  trap([&] { pika = readEqualsOne(store, keys::TimePika); });
  if (pika) trap([&] { tmrFlash->setEnabled(true); });

  bSignalDone = 1;
  datSignalDate = today;
  intSignalHour = static_cast<std::int16_t>(now.hour);

  bool furu = true;
  trap([&] { furu = readEqualsOne(store, keys::TimeFuru); });
  if (furu) {
    // A count that is no 16-bit integer fails the whole step: no shake.
    trap([&] { VibrateWindow(s_.hActiveWnd, readInt16(store, keys::TimeFuruCount)); });
  }
}

}  // namespace kivo
