// The settings dialog: what the standard clock shows, the hourly signals and the daily alarm.

#include "settings/frmSet.h"

#include <algorithm>
#include <string>

#include "clocktext/mdlKivo_template.h"
#include "engine/mdlKivo.h"
#include "engine/program.h"
#include "platform/errors.h"
#include "platform/text.h"
#include "settings/convert.h"
#include "settings/layout.h"
#include "settings/settings_save.h"

namespace kivo {

frmSet::frmSet(Kivo& app)
    : Form(app.p.toolkit, "frmSet", "詳細", 5172, 4284, BorderStyle::FixedDialog), app_(app) {
  fraSet[1] = &add<Frame>("fraSet", 1, "表示", Twips{120, 120, 4932, 1152});
  chkShow[0] = &add<CheckBox>("chkShow", 0, "秒(&S)", Twips{240, 300, 1092, 312}, fraSet[1]);
  chkShow[1] = &add<CheckBox>("chkShow", 1, "日付(&D)", Twips{240, 720, 1092, 312}, fraSet[1]);
  chkShow[2] = &add<CheckBox>("chkShow", 2, "曜日(&W)", Twips{1620, 300, 1092, 312}, fraSet[1]);
  chkShow[3] = &add<CheckBox>("chkShow", 3, "西暦(&A)", Twips{1620, 720, 1092, 312}, fraSet[1]);
  chkShow[4] = &add<CheckBox>("chkShow", 4, "24h(&H)", Twips{3000, 300, 1092, 312}, fraSet[1]);
  chkShow[5] = &add<CheckBox>("chkShow", 5, "\" = \"(&E)", Twips{3000, 720, 1092, 312}, fraSet[1]);

  fraSet[0] = &add<Frame>("fraSet", 0, "その他", Twips{120, 1380, 4932, 2352});
  // Both hourly boxes keep the access key P, as users know them; with the
  // key taken twice, Alt+P moves between the two instead of ticking one.
  chkEtc[0] =
      &add<CheckBox>("chkEtc", 0, "時報ぴかっと(&P)", Twips{180, 300, 1812, 312}, fraSet[0]);
  chkEtc[1] =
      &add<CheckBox>("chkEtc", 1, "時報ふるふる(&P)", Twips{180, 720, 1812, 312}, fraSet[0]);
  txtEtc[0] = &add<TextBox>("txtEtc", 0, "", Twips{960, 1080, 552, 312}, fraSet[0]);
  lblEtc[3] = &add<Label>("lblEtc", 3, "回", Twips{1620, 1200, 192, 192}, fraSet[0]);
  chkEtc[2] =
      &add<CheckBox>("chkEtc", 2, "時報ぴぽんと(&J)", Twips{180, 1500, 1812, 312}, fraSet[0]);
  cmdWavSet[0] =
      &add<CommandButton>("cmdWavSet", 0, "素(&B)", Twips{180, 1860, 672, 312}, fraSet[0]);
  chkEtc[3] = &add<CheckBox>("chkEtc", 3, "鳩時計(&H)", Twips{900, 1860, 1212, 312}, fraSet[0]);
  chkEtc[4] = &add<CheckBox>("chkEtc", 4, "アラーム(&A)", Twips{2220, 300, 1872, 312}, fraSet[0]);
  txtEtc[1] = &add<TextBox>("txtEtc", 1, "", Twips{2220, 660, 552, 312}, fraSet[0]);
  lblEtc[0] = &add<Label>("lblEtc", 0, "時", Twips{2880, 720, 252, 252}, fraSet[0]);
  txtEtc[2] = &add<TextBox>("txtEtc", 2, "", Twips{3240, 660, 612, 312}, fraSet[0]);
  lblEtc[1] = &add<Label>("lblEtc", 1, "分", Twips{3900, 720, 252, 252}, fraSet[0]);
  lblEtc[2] = &add<Label>("lblEtc", 2, "メッセージ(&M)", Twips{2220, 1260, 1272, 252}, fraSet[0]);
  txtEtc[3] = &add<TextBox>("txtEtc", 3, "", Twips{2220, 1560, 2532, 312}, fraSet[0]);
  cmdWavSet[1] =
      &add<CommandButton>("cmdWavSet", 1, "Call Me(&C)", Twips{3540, 1200, 1212, 312}, fraSet[0]);

  cmdSet[0] = &add<CommandButton>("cmdSet", 0, "OK", Twips{2340, 3840, 1272, 372});
  cmdSet[1] = &add<CommandButton>("cmdSet", 1, "Cancel", Twips{3780, 3840, 1272, 372});
  cmdSet[0]->setDefault(true);
  cmdSet[1]->setCancel(true);

  // Count, hour and minute are two characters at most; the message is free.
  // What the user types stands out in bold.
  const int maxLength[4] = {2, 2, 2, 0};
  FontSpec bold = font();
  bold.bold = true;
  for (int i = 0; i < 4; ++i) {
    txtEtc[i]->setMaxLength(maxLength[i]);
    txtEtc[i]->setFont(bold);
  }

  // The state of a fresh dialog, set before the handlers are wired so that
  // building the dialog does not touch the engine.
  chkShow[1]->setValue(1);
  chkShow[4]->setValue(1);
  chkShow[5]->setValue(1);
  chkEtc[0]->setValue(1);
  cmdWavSet[0]->setEnabled(false);
  chkEtc[3]->setEnabled(false);

  for (int i = 0; i < 6; ++i) chkShow[i]->onClick = [this, i] { chkShow_Click(i); };
  for (int i = 0; i < 5; ++i) chkEtc[i]->onClick = [this, i] { chkEtc_Click(i); };
  for (int i = 0; i < 2; ++i) {
    cmdWavSet[i]->onClick = [this, i] { cmdWavSet_Click(i); };
    cmdSet[i]->onClick = [this, i] { cmdSet_Click(i); };
  }
}

void frmSet::Form_Load() { LoadSetOptions(); }

// No trap here: a stored value the boxes cannot take travels to the opener,
// which reports it. The order matters, since every changed box runs its
// click handler: the alarm box must see the hour and minute already filled,
// and "鳩時計" is loaded before "ぴぽんと" decides whether it is enabled.
void frmSet::LoadSetOptions() {
  SettingsStore& store = app_.p.store;
  EngineState& s = app_.s;
  chkShow[4]->setValue(readInt16(store, keys::Show24h));
  txtEtc[2]->setText(text::right(s.strAlarmTime, 2));
  txtEtc[1]->setText(text::left(s.strAlarmTime, 2));
  chkEtc[4]->setValue(s.bAlarm);
  txtEtc[3]->setText(s.strAlarmMessage);
  chkEtc[0]->setValue(readInt16(store, keys::TimePika));
  chkEtc[1]->setValue(readInt16(store, keys::TimeFuru));
  txtEtc[0]->setText(readText(store, keys::TimeFuruCount));
  chkEtc[3]->setValue(readInt16(store, keys::PipoHato));
  chkEtc[2]->setValue(readInt16(store, keys::TimePipo));
  chkShow[0]->setValue(readInt16(store, keys::ShowSecond));
  chkShow[1]->setValue(readInt16(store, keys::ShowDate));
  chkShow[2]->setValue(readInt16(store, keys::ShowDay));
  chkShow[3]->setValue(readInt16(store, keys::ShowYear));
  chkShow[5]->setValue(s.bEqualSeparate);
}

// The engine takes the dialog's values first, so that a store refusing the
// save (told in a box of its own) leaves the program with the user's choice.
void frmSet::SaveSetOptions() {
  EngineState& s = app_.s;
  s.strAlarmTime = txtEtc[1]->text() + ":" + txtEtc[2]->text();
  s.strAlarmMessage = txtEtc[3]->text();
  SettingsSave save(app_.settings(), "the clock, signal and alarm settings");
  save.number(keys::Show24h, chkShow[4]->value());
  save.number(keys::Alarm, s.bAlarm);
  save.number(keys::EqualSeparate, s.bEqualSeparate);
  save.number(keys::ShowDate, chkShow[1]->value());
  save.number(keys::ShowDay, chkShow[2]->value());
  save.number(keys::ShowSecond, chkShow[0]->value());
  save.number(keys::ShowYear, chkShow[3]->value());
  save.number(keys::TimePika, chkEtc[0]->value());
  save.number(keys::TimeFuru, chkEtc[1]->value());
  save.text(keys::TimeFuruCount, txtEtc[0]->text());
  save.number(keys::TimePipo, chkEtc[2]->value());
  save.number(keys::PipoHato, chkEtc[3]->value());
  save.text(keys::AlarmTime, s.strAlarmTime);
  save.text(keys::AlarmMessage, s.strAlarmMessage);
  save.finish(app_.p.toolkit, hwnd());
}

// 1, not -1: callers compare with 1.
std::int16_t frmSet::ChkNumber(const std::string& value) {
  if (!isNumeric(value)) return 0;
  for (const char* bad : {" ", "-", "."}) {
    if (value.find(bad) != std::string::npos) return 0;
  }
  return 1;
}

void frmSet::chkShow_Click(int index) {
  // The separator acts at once, so the captions composed while the dialog
  // is open already show the choice; Cancel reloads it from the store.
  if (index == 5) app_.s.bEqualSeparate = static_cast<std::uint8_t>(chkShow[5]->value());
}

void frmSet::chkEtc_Click(int index) {
  switch (index) {
    case 1:
      if (chkEtc[1]->value() == 1 && txtEtc[0]->text().empty()) txtEtc[0]->setText("10");
      break;
    case 2:
      // The chime's options only mean something while the chime is on; a
      // grayed box leaves them as they are.
      if (chkEtc[2]->value() == 1) {
        chkEtc[3]->setEnabled(true);
        cmdWavSet[0]->setEnabled(true);
      } else if (chkEtc[2]->value() == 0) {
        chkEtc[3]->setEnabled(false);
        cmdWavSet[0]->setEnabled(false);
      }
      break;
    case 4:
      app_.s.bAlarm = static_cast<std::uint8_t>(chkEtc[4]->value());
      if (app_.s.bAlarm == 1) {
        if (txtEtc[1]->text().empty()) txtEtc[1]->setText("12");
        if (txtEtc[2]->text().empty()) txtEtc[2]->setText("00");
      }
      break;
    default: break;
  }
}

void frmSet::cmdWavSet_Click(int index) {
  if (index != 0 && index != 1) return;
  Platform& p = app_.p;
  Trap trap(p.toolkit, p.program, "frmSet!cmdWavSet_Click");
  const SettingKey& key = index == 0 ? keys::WaveFilePath1 : keys::WaveFilePath2;
  OpenFileRequest request;
  bool chosen = false;
  trap([&] {
    request.owner = hwnd();
    request.filters = {{"WaveFile (*.wav)", "*.WAV"}};
    if (index == 1) request.filters.push_back({"ExecutableFile", "*.exe;*.com;*.bat;*.cmd;*.lnk"});
    request.file = readText(p.store, key);
    // The buffer holds 255 characters; a longer stored path (put there by
    // hand, or chosen in a dialog without that limit) gets a buffer that
    // fits it whole, rather than being cut into a path to another file.
    request.maxFile = std::max<int>(255, static_cast<int>(text::length(request.file)) + 1);
    request.title = index == 0 ? "ファイルの参照 - ぴぽんと" : "ファイルの参照 - Call Me";
    request.flags = kOfnFileMustExist | kOfnHideReadOnly;
  });
  trap([&] { chosen = p.fileDialog.getOpenFileName(request); });
  trap([&] {
    if (chosen) {
      // Written at once, whatever OK or Cancel does later. The path is kept
      // whole up to its first NUL, however long it is.
      SettingsSave save(app_.settings(),
                        index == 0 ? "the sound file of ぴぽんと" : "the sound file of Call Me");
      save.text(key, std::string(text::cutAtNul(request.file)));
      save.finish(p.toolkit, hwnd());
      return;
    }
    // The one box that is modal to the program only.
    constexpr int kSwitchOffStyle = kMbYesNo | kMbDefButton2 | kMbApplicationModal;
    if (p.toolkit.messageBox(hwnd(), "ぴぽんとを OFF にしますか?", "ぴぽんと", kSwitchOffStyle) !=
        kIdYes)
      return;
    if (index == 0) {
      chkEtc[2]->setValue(0);  // the store follows at OK
    } else {
      SettingsSave save(app_.settings(), "the sound file of Call Me");
      save.text(keys::WaveFilePath2, "");
      save.finish(p.toolkit, hwnd());
    }
  });
}

namespace {

constexpr int kCheckFailedStyle = kMbOkOnly | kMbIconExclamation | kMbSystemModal;

// An alarm hour or minute as the alarm check can match it: one or two
// digits within `highest`, given back as two digits ("6" -> "06").
// Empty when the text is not such a number.
std::string alarmPart(const std::string& value, int highest) {
  if (frmSet::ChkNumber(value) != 1) return {};
  if (value.empty() || value.size() > 2) return {};
  for (char c : value) {
    if (c < '0' || c > '9') return {};
  }
  const int n = std::stoi(value);
  if (n > highest) return {};
  return n < 10 ? "0" + std::to_string(n) : std::to_string(n);
}

}  // namespace

void frmSet::cmdSet_Click(int index) {
  EngineState& s = app_.s;
  Toolkit& toolkit = app_.p.toolkit;
  if (index == 1) {
    // The alarm and separator boxes act on the engine at once: put back what
    // the store says.
    LoadAlarmSettings(app_);
    unload();
    return;
  }
  if (index != 0) return;

  txtEtc[0]->setText(text::trim(txtEtc[0]->text()));
  if (ChkNumber(txtEtc[0]->text()) == 0) {
    chkEtc[1]->setValue(0);
    txtEtc[0]->setText("10");
    toolkit.messageBox(hwnd(),
                       "ふるふる回数が正常に設定されていません。ふるふるをOFFにします。\r\n\r\n"
                       "<Hint!> 回数は整数（例 9）で設定しましたか?",
                       kErrorTitle, kCheckFailedStyle);
  }

  // The alarm check compares two-digit 24-hour text, so "6" is stored as
  // "06" and an hour past 23 or a minute past 59 is refused: either would
  // otherwise be saved as an alarm that can never ring.
  const std::string hour = alarmPart(txtEtc[1]->text(), 23);
  const std::string minute = alarmPart(txtEtc[2]->text(), 59);
  if (hour.empty() || minute.empty()) {
    s.bAlarm = 0;
    txtEtc[1]->setText("12");
    txtEtc[2]->setText("00");
    toolkit.messageBox(hwnd(),
                       "アラーム時刻が正常に設定されていません。アラームをOFFにします。\r\n\r\n"
                       "<Hint!> 時刻は 24h制 の 数字2桁（例 06:18）で設定しましたか?",
                       kErrorTitle, kCheckFailedStyle);
  } else {
    txtEtc[1]->setText(hour);
    txtEtc[2]->setText(minute);
  }

  SaveSetOptions();
  // A companion's custom template stays in charge while KivoXX is set.
  if (s.PlugInFlags.KivoXX == 0) {
    s.strClockTemplate = MakeClockTemplate(app_.p.store, readByte(app_.p.store, keys::UserTaste));
  }
  unload();
}

}  // namespace kivo
