// The settings dialog: its controls, loading and saving.
#include "ui/settings_dialog.h"

#include "engine/clock_template.h"
#include "platform/text.h"
#include "settings/convert.h"
#include "settings/settings_save.h"
#include "ui/refused_save_box.h"

namespace kivo {

SettingsDialog::SettingsDialog(WindowContext context)
    : Form(context.toolkit, "frmSet", context.texts("詳細"), 5172, 4284, BorderStyle::FixedDialog),
      cx_(context) {
  frames[1] = &add<Frame>("fraSet", 1, cx_.texts("表示"), Twips{120, 120, 4932, 1152});
  displayBoxes[Seconds] =
      &add<CheckBox>("chkShow", 0, cx_.texts("秒(&S)"), Twips{240, 300, 1092, 312}, frames[1]);
  displayBoxes[Date] =
      &add<CheckBox>("chkShow", 1, cx_.texts("日付(&D)"), Twips{240, 720, 1092, 312}, frames[1]);
  displayBoxes[Weekday] =
      &add<CheckBox>("chkShow", 2, cx_.texts("曜日(&W)"), Twips{1620, 300, 1092, 312}, frames[1]);
  displayBoxes[Year] =
      &add<CheckBox>("chkShow", 3, cx_.texts("西暦(&A)"), Twips{1620, 720, 1092, 312}, frames[1]);
  displayBoxes[Hours24] =
      &add<CheckBox>("chkShow", 4, cx_.texts("24h(&H)"), Twips{3000, 300, 1092, 312}, frames[1]);
  displayBoxes[EqualsSeparator] = &add<CheckBox>("chkShow", 5, cx_.texts("\" = \"(&E)"),
                                                 Twips{3000, 720, 1092, 312}, frames[1]);

  frames[0] = &add<Frame>("fraSet", 0, cx_.texts("その他"), Twips{120, 1380, 4932, 2352});
  // Both hourly boxes keep the access key P, as users know them; with the
  // key taken twice, Alt+P moves between the two instead of ticking one.
  signalBoxes[HourlyFlash] = &add<CheckBox>("chkEtc", 0, cx_.texts("時報ぴかっと(&P)"),
                                            Twips{180, 300, 1812, 312}, frames[0]);
  signalBoxes[HourlyShake] = &add<CheckBox>("chkEtc", 1, cx_.texts("時報ふるふる(&P)"),
                                            Twips{180, 720, 1812, 312}, frames[0]);
  fields[ShakeCount] = &add<TextBox>("txtEtc", 0, "", Twips{960, 1080, 552, 312}, frames[0]);
  labels[3] = &add<Label>("lblEtc", 3, cx_.texts("回"), Twips{1620, 1200, 192, 192}, frames[0]);
  signalBoxes[HourlyChime] = &add<CheckBox>("chkEtc", 2, cx_.texts("時報ぴぽんと(&J)"),
                                            Twips{180, 1500, 1812, 312}, frames[0]);
  browse[ChimeSound] = &add<CommandButton>("cmdWavSet", 0, cx_.texts("素(&B)"),
                                           Twips{180, 1860, 672, 312}, frames[0]);
  signalBoxes[Cuckoo] =
      &add<CheckBox>("chkEtc", 3, cx_.texts("鳩時計(&H)"), Twips{900, 1860, 1212, 312}, frames[0]);
  signalBoxes[AlarmOn] = &add<CheckBox>("chkEtc", 4, cx_.texts("アラーム(&A)"),
                                        Twips{2220, 300, 1872, 312}, frames[0]);
  fields[AlarmHour] = &add<TextBox>("txtEtc", 1, "", Twips{2220, 660, 552, 312}, frames[0]);
  labels[0] = &add<Label>("lblEtc", 0, cx_.texts("時"), Twips{2880, 720, 252, 252}, frames[0]);
  fields[AlarmMinute] = &add<TextBox>("txtEtc", 2, "", Twips{3240, 660, 612, 312}, frames[0]);
  labels[1] = &add<Label>("lblEtc", 1, cx_.texts("分"), Twips{3900, 720, 252, 252}, frames[0]);
  labels[2] = &add<Label>("lblEtc", 2, cx_.texts("メッセージ(&M)"), Twips{2220, 1260, 1272, 252},
                          frames[0]);
  fields[AlarmMessage] = &add<TextBox>("txtEtc", 3, "", Twips{2220, 1560, 2532, 312}, frames[0]);
  browse[AlarmFile] = &add<CommandButton>("cmdWavSet", 1, cx_.texts("Call Me(&C)"),
                                          Twips{3540, 1200, 1212, 312}, frames[0]);

  buttons[OkButton] = &add<CommandButton>("cmdSet", 0, "OK", Twips{2340, 3840, 1272, 372});
  buttons[CancelButton] = &add<CommandButton>("cmdSet", 1, "Cancel", Twips{3780, 3840, 1272, 372});
  buttons[OkButton]->setDefault(true);
  buttons[CancelButton]->setCancel(true);

  // Count, hour and minute are two characters at most; the message is free.
  // What the user types stands out in bold.
  const int maxLength[4] = {2, 2, 2, 0};
  FontSpec bold = font();
  bold.bold = true;
  for (int i = ShakeCount; i <= AlarmMessage; ++i) {
    fields[i]->setMaxLength(maxLength[i]);
    fields[i]->setFont(bold);
  }

  // The state of a fresh dialog, set before the handlers are wired so that
  // building the dialog does not touch the running settings.
  displayBoxes[Date]->setValue(1);
  displayBoxes[Hours24]->setValue(1);
  displayBoxes[EqualsSeparator]->setValue(1);
  signalBoxes[HourlyFlash]->setValue(1);
  browse[ChimeSound]->setEnabled(false);
  signalBoxes[Cuckoo]->setEnabled(false);

  for (int i = Seconds; i <= EqualsSeparator; ++i) {
    displayBoxes[i]->onClick = [this, i] { clickShowBox(static_cast<ShowBox>(i)); };
  }
  for (int i = HourlyFlash; i <= AlarmOn; ++i) {
    signalBoxes[i]->onClick = [this, i] { clickSignalBox(static_cast<SignalBox>(i)); };
  }
  for (int i = ChimeSound; i <= AlarmFile; ++i) {
    browse[i]->onClick = [this, i] { browseFile(static_cast<BrowseButton>(i)); };
  }
  buttons[OkButton]->onClick = [this] { confirm(); };
  buttons[CancelButton]->onClick = [this] {
    // The alarm and separator boxes act on the program at once: put back
    // what the store says.
    loadAlarmSettings(cx_.store, cx_.settings);
    unload();
  };
}

void SettingsDialog::onLoad() { loadOptions(); }

// A stored value the boxes cannot take travels to the opener, which reports
// it. The order matters, since every changed box runs its click handler: the
// alarm box must see the hour and minute already filled, and the cuckoo box
// is loaded before the chime box decides whether it is enabled.
void SettingsDialog::loadOptions() {
  SettingsStore& store = cx_.store;
  const AlarmSettings& alarm = cx_.settings.alarm;
  displayBoxes[Hours24]->setValue(readInt16(store, keys::Show24h));
  fields[AlarmMinute]->setText(text::right(alarm.time, 2));
  fields[AlarmHour]->setText(text::left(alarm.time, 2));
  signalBoxes[AlarmOn]->setValue(alarm.on);
  fields[AlarmMessage]->setText(alarm.message);
  signalBoxes[HourlyFlash]->setValue(readInt16(store, keys::TimePika));
  signalBoxes[HourlyShake]->setValue(readInt16(store, keys::TimeFuru));
  fields[ShakeCount]->setText(readText(store, keys::TimeFuruCount));
  signalBoxes[Cuckoo]->setValue(readInt16(store, keys::PipoHato));
  signalBoxes[HourlyChime]->setValue(readInt16(store, keys::TimePipo));
  displayBoxes[Seconds]->setValue(readInt16(store, keys::ShowSecond));
  displayBoxes[Date]->setValue(readInt16(store, keys::ShowDate));
  displayBoxes[Weekday]->setValue(readInt16(store, keys::ShowDay));
  displayBoxes[Year]->setValue(readInt16(store, keys::ShowYear));
  displayBoxes[EqualsSeparator]->setValue(cx_.settings.layout.equalsSeparator);
}

// The program takes the dialog's values first, so that a store refusing the
// save (told in a box of its own) leaves it with the user's choice.
void SettingsDialog::saveOptions() {
  AlarmSettings& alarm = cx_.settings.alarm;
  alarm.time = fields[AlarmHour]->text() + ":" + fields[AlarmMinute]->text();
  alarm.message = fields[AlarmMessage]->text();
  SettingsSave save(cx_.store, "the clock, signal and alarm settings");
  save.number(keys::Show24h, displayBoxes[Hours24]->value());
  save.number(keys::Alarm, alarm.on);
  save.number(keys::EqualSeparate, cx_.settings.layout.equalsSeparator);
  save.number(keys::ShowDate, displayBoxes[Date]->value());
  save.number(keys::ShowDay, displayBoxes[Weekday]->value());
  save.number(keys::ShowSecond, displayBoxes[Seconds]->value());
  save.number(keys::ShowYear, displayBoxes[Year]->value());
  save.number(keys::TimePika, signalBoxes[HourlyFlash]->value());
  save.number(keys::TimeFuru, signalBoxes[HourlyShake]->value());
  save.text(keys::TimeFuruCount, fields[ShakeCount]->text());
  save.number(keys::TimePipo, signalBoxes[HourlyChime]->value());
  save.number(keys::PipoHato, signalBoxes[Cuckoo]->value());
  save.text(keys::AlarmTime, alarm.time);
  save.text(keys::AlarmMessage, alarm.message);
  tellIfRefused(cx_.toolkit, hwnd(), save);
}

bool SettingsDialog::isAcceptedNumber(const std::string& value) {
  return isNumeric(value) && value.find_first_of(" -.") == std::string::npos;
}

void SettingsDialog::clickShowBox(ShowBox box) {
  // The separator acts at once, so the captions composed while the dialog
  // is open already show the choice; Cancel reloads it from the store.
  if (box == EqualsSeparator) {
    cx_.settings.layout.equalsSeparator =
        static_cast<std::uint8_t>(displayBoxes[EqualsSeparator]->value());
  }
}

void SettingsDialog::clickSignalBox(SignalBox box) {
  switch (box) {
    case HourlyShake:
      if (signalBoxes[HourlyShake]->value() == 1 && fields[ShakeCount]->text().empty()) {
        fields[ShakeCount]->setText(keys::TimeFuruCount.defaultText);
      }
      break;
    case HourlyChime: {
      // The chime's options only mean something while the chime is on; a
      // grayed box leaves them as they are.
      const int chime = signalBoxes[HourlyChime]->value();
      if (chime == 1 || chime == 0) {
        signalBoxes[Cuckoo]->setEnabled(chime == 1);
        browse[ChimeSound]->setEnabled(chime == 1);
      }
      break;
    }
    case AlarmOn: {
      AlarmSettings& alarm = cx_.settings.alarm;
      alarm.on = static_cast<std::uint8_t>(signalBoxes[AlarmOn]->value());
      if (alarm.on == 1) {
        if (fields[AlarmHour]->text().empty()) fields[AlarmHour]->setText("12");
        if (fields[AlarmMinute]->text().empty()) fields[AlarmMinute]->setText("00");
      }
      break;
    }
    default: break;
  }
}

}  // namespace kivo
