// The daily alarm.
#include "signals/daily_alarm.h"

#include <string>

#include "platform/text.h"
#include "settings/layout.h"

namespace kivo {

namespace {

constexpr const char* kAlarmTitle = "Alarm - Kivo";
// OK and Cancel (which snoozes, and is the default), information icon.
constexpr int kAlarmStyle = kMbOkCancel | kMbIconInformation | kMbDefButton2 | kMbSystemModal;
// Asynchronous, no default sound, a file name: the sound plays while the box is up.
constexpr std::uint32_t kAlarmSound = kSndFilename | kSndNoDefault | kSndAsync;  // 131075
constexpr std::uint8_t kChecksBetweenSnoozes = 3;

bool twoDigits(const std::string& s, std::size_t at) {
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  return digit(s[at]) && digit(s[at + 1]);
}

}  // namespace

std::optional<TimeOfDay> alarmTimeOf(const std::string& stored) {
  if (stored.size() != 5 || stored[2] != ':' || !twoDigits(stored, 0) || !twoDigits(stored, 3)) {
    return std::nullopt;
  }
  const int hour = (stored[0] - '0') * 10 + (stored[1] - '0');
  const int minute = (stored[3] - '0') * 10 + (stored[4] - '0');
  if (hour > 23 || minute > 59) return std::nullopt;
  return TimeOfDay{hour, minute, 0};
}

int DailyAlarm::ring() {
  // Read on every ring: the settings dialog's browse button writes it at once.
  const std::string file = readText(s_.store, keys::WaveFilePath2);
  if (!file.empty()) {
    if (text::endsWithNoCase(file, ".wav")) {
      s_.sound.playSound(file, kAlarmSound);
    } else {
      // Anything else opens with its own program; a program is started.
      s_.shell.shellExecute(0, "open", file, "", "", kSwShowNormal);
    }
  }
  const int answer = s_.toolkit.messageBox(owner_(), settings_.message, kAlarmTitle, kAlarmStyle);
  startFlash_();  // the burst starts once the box is closed
  return answer;
}

void DailyAlarm::check() {
  const TimeOfDay now = s_.clock.timeOfDay();
  const std::optional<TimeOfDay> at = alarmTimeOf(settings_.time);
  if (at && at->hour == now.hour && at->minute == now.minute) {
    if (ring() == kIdCancel) snoozing_ = true;
  }
  if (!snoozing_) return;
  if (wait_ < kChecksBetweenSnoozes) {
    ++wait_;
    return;
  }
  if (ring() != kIdCancel) snoozing_ = false;
  wait_ = 0;
}

}  // namespace kivo
