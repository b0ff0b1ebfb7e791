// The daily alarm: its settings (LoadAlarmSettings), the check (ChkAlarm) and the alarm file
// (PlayAlarmFile).
#include <cstdint>
#include <string>

#include "clocktext/picture.h"
#include "engine/mdlKivo.h"
#include "engine/program.h"
#include "engine/state.h"
#include "platform/errors.h"
#include "platform/text.h"
#include "settings/layout.h"
#include "ui/frmMain.h"

namespace kivo {

namespace {

constexpr const char* kAlarmTitle = "Alarm - Kivo";
// OK and Cancel (which snoozes, and is the default), information icon.
constexpr int kAlarmStyle = kMbOkCancel | kMbIconInformation | kMbDefButton2 | kMbSystemModal;
// Asynchronous, no default sound, a file name: the sound plays while the box is up.
constexpr std::uint32_t kAlarmSound = kSndFilename | kSndNoDefault | kSndAsync;  // 131075

}  // namespace

void LoadAlarmSettings(Kivo& app) {
  SettingsStore& store = app.p.store;
  app.s.bAlarm = readByte(store, keys::Alarm);
  app.s.bEqualSeparate = readByte(store, keys::EqualSeparate);
  app.s.strAlarmMessage = readText(store, keys::AlarmMessage);
  app.s.strAlarmTime = readText(store, keys::AlarmTime);
}

void PlayAlarmFile(Kivo& app, const std::string& path) {
  Trap trap(app.p.toolkit, app.p.program, "mdlPub!PlayAlarmFile");
  trap([&] {
    if (text::endsWithNoCase(path, ".wav")) {
      app.p.sound.playSound(path, kAlarmSound);
    } else {
      // Anything else opens with its own program; a program is started.
      app.p.shell.shellExecute(0, "open", path, "", "", kSwShowNormal);
    }
  });
}

void frmMain::ChkAlarm() {
  const std::string now = formatTime(p_.clock.timeOfDay(), "hh:nn");
  // Read on every call: the browse button of the settings writes it at once.
  const std::string file = readText(p_.store, keys::WaveFilePath2);

  // File, box, then the flash: the burst starts once the box is closed.
  auto giveAlarm = [&] {
    if (!file.empty()) PlayAlarmFile(app_, file);
    const int answer = p_.toolkit.messageBox(hwnd(), s_.strAlarmMessage, kAlarmTitle, kAlarmStyle);
    tmrFlash->setEnabled(true);
    return answer;
  };

  if (now == s_.strAlarmTime) {
    if (giveAlarm() == kIdCancel) bAlarmRepeat = 1;
  }
  // Cancel snoozes: the alarm comes back every fourth call until an OK.
  if (bAlarmRepeat == 1) {
    if (bytAlarmWait == 3) {
      if (giveAlarm() != kIdCancel) bAlarmRepeat = 0;
      bytAlarmWait = 0;
    } else {
      ++bytAlarmWait;
    }
  }
}

}  // namespace kivo
