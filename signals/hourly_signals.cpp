// The hourly signals.
#include "signals/hourly_signals.h"

#include <string>

#include "platform/text.h"
#include "settings/layout.h"
#include "signals/window_shake.h"

namespace kivo {

namespace {

constexpr const char* kWhere = "frmMain!ChkPika";
// sndPlaySound flags: every stroke names a file and never falls back on the
// system's default sound; only the last stroke returns at once.
constexpr std::uint32_t kStrokeSync = kSndFilename | kSndNoDefault;               // 131074
constexpr std::uint32_t kStrokeAsync = kSndFilename | kSndNoDefault | kSndAsync;  // 131075

}  // namespace

void HourlySignals::check(Hwnd front) {
  const TimeOfDay now = clock_.timeOfDay();
  const Date today = clock_.date();  // after the time: just past midnight gives the new day
  if (now.minute == 1) {
    given_ = false;
    return;
  }
  if (now.minute != 0) return;
  if (given_ && (today != givenDate_ || now.hour != givenHour_)) given_ = false;
  if (given_) return;

  // A stored switch that cannot be read does not silence its signal: the
  // signal is given as if it were on.
  const auto switchedOn = [&](const SettingKey& key) {
    bool on = true;
    reportFailure(errors_, kWhere, [&] { on = readEqualsOne(store_, key); });
    return on;
  };
  if (switchedOn(keys::TimePipo)) chime(now);
  if (switchedOn(keys::TimePika)) startFlash_();

  given_ = true;
  givenDate_ = today;
  givenHour_ = now.hour;

  // A count that is no 16-bit integer fails the whole step: no shake.
  if (switchedOn(keys::TimeFuru)) {
    reportFailure(errors_, kWhere,
                  [&] { shake_.shake(front, readInt16(store_, keys::TimeFuruCount)); });
  }
}

void HourlySignals::chime(const TimeOfDay& now) {
  const std::string wave = readText(store_, keys::WaveFilePath1);
  if (!text::endsWithNoCase(wave, ".wav")) return;
  const std::string style = readText(store_, keys::PipoHato);
  if (style == "0") {
    sound_.playSound(wave, kStrokeAsync);
  } else if (style == "1") {
    // The cuckoo strikes the hour: n strokes, 24 at midnight. All but the
    // last wait for their sound, letting pending messages through (a
    // handler they run may fail).
    const int strokes = now.hour == 0 ? 24 : now.hour;
    for (int i = 1; i < strokes; ++i) {
      sound_.playSound(wave, kStrokeSync);
      reportFailure(errors_, kWhere, [&] { toolkit_.doEvents(); });
    }
    sound_.playSound(wave, kStrokeAsync);
  }
}

}  // namespace kivo
