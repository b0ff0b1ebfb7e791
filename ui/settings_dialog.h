#pragma once
// The settings dialog: what the standard clock shows, the hourly signals and
// the daily alarm. The separator and alarm boxes act on the running program
// at once; OK stores everything, Cancel puts back what the store says.

#include <array>
#include <cstdint>
#include <string>

#include "ui/forms.h"
#include "ui/window_context.h"

namespace kivo {

class SettingsDialog : public Form {
 public:
  enum ShowBox { Seconds, Date, Weekday, Year, Hours24, EqualsSeparator };
  enum SignalBox { HourlyFlash, HourlyShake, HourlyChime, Cuckoo, AlarmOn };
  enum Field { ShakeCount, AlarmHour, AlarmMinute, AlarmMessage };
  enum BrowseButton { ChimeSound, AlarmFile };
  enum Button { OkButton, CancelButton };

  explicit SettingsDialog(WindowContext context);

  std::array<Frame*, 2> frames{};
  std::array<CheckBox*, 6> displayBoxes{};
  std::array<CheckBox*, 5> signalBoxes{};
  std::array<TextBox*, 4> fields{};
  std::array<Label*, 4> labels{};
  std::array<CommandButton*, 2> browse{};
  std::array<CommandButton*, 2> buttons{};

  // A count or time part as the dialog accepts it: a number by the stored
  // conversions (settings/convert.h) with no space, minus sign or decimal
  // mark in it.
  static bool isAcceptedNumber(const std::string& text);

 private:
  void onLoad() override;
  void loadOptions();
  void saveOptions();
  void clickShowBox(ShowBox box);
  void clickSignalBox(SignalBox box);
  void browseFile(BrowseButton button);
  void confirm();

  WindowContext cx_;
};

}  // namespace kivo
