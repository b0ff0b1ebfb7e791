// The settings dialog's buttons: choosing a sound file, and OK.
#include <algorithm>
#include <string>

#include "engine/clock_template.h"
#include "platform/text.h"
#include "settings/settings_save.h"
#include "ui/refused_save_box.h"
#include "ui/settings_dialog.h"

namespace kivo {

namespace {

constexpr int kCheckFailedStyle = kMbOkOnly | kMbIconExclamation | kMbSystemModal;
// The one box that is modal to the program only.
constexpr int kSwitchOffStyle = kMbYesNo | kMbDefButton2 | kMbApplicationModal;
constexpr int kPathBufferChars = 255;

// An alarm hour or minute as the alarm check can match it: one or two
// digits within `highest`, given back as two digits ("6" -> "06").
// Empty when the text is not such a number.
std::string alarmPart(const std::string& value, int highest) {
  if (!SettingsDialog::isAcceptedNumber(value)) return {};
  if (value.empty() || value.size() > 2) return {};
  if (!std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return {};
  }
  const int n = std::stoi(value);
  if (n > highest) return {};
  return n < 10 ? "0" + std::to_string(n) : std::to_string(n);
}

}  // namespace

void SettingsDialog::browseFile(BrowseButton button) {
  const bool chime = button == ChimeSound;
  const SettingKey& key = chime ? keys::WaveFilePath1 : keys::WaveFilePath2;
  OpenFileRequest request;
  request.owner = hwnd();
  request.filters = {{"WaveFile (*.wav)", "*.WAV"}};
  if (!chime) request.filters.push_back({"ExecutableFile", "*.exe;*.com;*.bat;*.cmd;*.lnk"});
  request.file = readText(cx_.store, key);
  // The buffer holds 255 characters; a longer stored path (put there by
  // hand, or chosen in a dialog without that limit) gets a buffer that fits
  // it whole, rather than being cut into a path to another file.
  request.maxFile =
      std::max<int>(kPathBufferChars, static_cast<int>(text::length(request.file)) + 1);
  request.title =
      chime ? cx_.texts("ファイルの参照 - ぴぽんと") : cx_.texts("ファイルの参照 - Call Me");
  request.flags = kOfnFileMustExist | kOfnHideReadOnly;
  bool chosen = false;
  // The file dialog's window may fail to open.
  reportFailure(cx_.errors, "frmSet!cmdWavSet_Click",
                [&] { chosen = cx_.fileDialog.getOpenFileName(request); });
  if (chosen) {
    // Written at once, whatever OK or Cancel does later. The path is kept
    // whole up to its first NUL, however long it is.
    SettingsSave save(
        cx_.store, chime ? cx_.texts("the sound file of ぴぽんと") : "the sound file of Call Me");
    save.text(key, std::string(text::cutAtNul(request.file)));
    tellIfRefused(cx_.toolkit, hwnd(), save);
    return;
  }
  if (cx_.toolkit.messageBox(hwnd(), cx_.texts("ぴぽんとを OFF にしますか?"), cx_.texts("ぴぽんと"),
                             kSwitchOffStyle) != kIdYes) {
    return;
  }
  if (chime) {
    signalBoxes[HourlyChime]->setValue(0);  // the store follows at OK
  } else {
    SettingsSave save(cx_.store, "the sound file of Call Me");
    save.text(keys::WaveFilePath2, "");
    tellIfRefused(cx_.toolkit, hwnd(), save);
  }
}

void SettingsDialog::confirm() {
  ErrorReporter& errors = cx_.errors;
  fields[ShakeCount]->setText(text::trim(fields[ShakeCount]->text()));
  if (!isAcceptedNumber(fields[ShakeCount]->text())) {
    signalBoxes[HourlyShake]->setValue(0);
    fields[ShakeCount]->setText(keys::TimeFuruCount.defaultText);
    errors.warn(hwnd(),
                "ふるふる回数が正常に設定されていません。ふるふるをOFFにします。\r\n\r\n"
                "<Hint!> 回数は整数（例 9）で設定しましたか?",
                kCheckFailedStyle);
  }

  // The alarm check compares two-digit 24-hour times, so "6" is stored as
  // "06" and an hour past 23 or a minute past 59 is refused: either would
  // otherwise be saved as an alarm that can never ring.
  const std::string hour = alarmPart(fields[AlarmHour]->text(), 23);
  const std::string minute = alarmPart(fields[AlarmMinute]->text(), 59);
  if (hour.empty() || minute.empty()) {
    cx_.settings.alarm.on = 0;
    fields[AlarmHour]->setText("12");
    fields[AlarmMinute]->setText("00");
    errors.warn(hwnd(),
                "アラーム時刻が正常に設定されていません。アラームをOFFにします。\r\n\r\n"
                "<Hint!> 時刻は 24h制 の 数字2桁（例 06:18）で設定しましたか?",
                kCheckFailedStyle);
  } else {
    fields[AlarmHour]->setText(hour);
    fields[AlarmMinute]->setText(minute);
  }

  saveOptions();
  // A companion's custom template stays in charge while it is set.
  if (cx_.settings.companions.customTemplate == 0) {
    cx_.settings.clockTemplate = standardTemplateFromStore(cx_.store);
  }
  unload();
}

}  // namespace kivo
