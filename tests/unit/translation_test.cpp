// The language the windows speak: how it is chosen, and that an English
// user meets English in the windows and boxes while everything stored stays
// as it is.
#include <gtest/gtest.h>

#include <string>

#include "app/program.h"
#include "platform/sim/sim_desktop.h"
#include "settings/layout.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"
#include "ui/translation.h"

namespace kivo {
namespace {

TEST(Translation, TheSettingOverridesTheUsersLanguage) {
  constexpr Language J = Language::Japanese, E = Language::English;
  const struct {
    const char* setting;
    const char* user;
    Language expected;
  } cases[] = {
      {"", "ja_JP.UTF-8", J}, {"", "ja", J},   {"", "ja-JP", J},   {"", "jam", E},
      {"", "en_US.UTF-8", E}, {"", "de", E},   {"", "", E},        {"", "C", E},
      {"en", "ja_JP", E},     {"ja", "fr", J}, {"fr", "ja_JP", J}, {"EN", "ja", E},
  };
  for (const auto& c : cases)
    EXPECT_EQ(chooseLanguage(c.setting, c.user), c.expected) << c.setting << " / " << c.user;
  const Translation english(E);
  EXPECT_EQ(english("詳細(&S)"), "&Settings");
  EXPECT_EQ(english("not in the catalog"), "not in the catalog");
  EXPECT_EQ(Translation(J)("詳細(&S)"), "詳細(&S)");
}

TEST(Translation, AnEnglishUserGetsEnglishWindowsAndBoxesAndTheSameStore) {
  sim::SimDesktop d;
  d.program.setUserLanguage("en_GB.UTF-8");
  writeText(d.store, keys::TimeFuruCount, "x");  // a repair box at the start
  Kivo app(d.platform);
  app.start();
  MainWindow& m = *app.main();
  EXPECT_EQ(m.dialogButtons[MainWindow::OpenSettings]->caption(), "&Settings");
  EXPECT_EQ(m.buttons[MainWindow::Exit]->caption(), "E&xit");
  std::string seen;
  d.toolkit.modalPump = [&] {
    if (SettingsDialog* s = m.settingsDialogIfLoaded()) {
      seen = s->caption() + " | " + s->signalBoxes[SettingsDialog::HourlyShake]->caption();
      s->fields[SettingsDialog::AlarmHour]->setText("25");
      s->buttons[SettingsDialog::OkButton]->click();
    }
    return false;
  };
  m.dialogButtons[MainWindow::OpenSettings]->click();
  EXPECT_EQ(seen, "Settings | Sha&ke on the hour");
  // The warnings worded by the signals and the dialogs reach the user in
  // English: the repaired shake count at the start, the refused alarm time.
  ASSERT_EQ(d.toolkit.boxes().size(), 2u);
  for (const auto& box : d.toolkit.boxes()) EXPECT_EQ(box.title, "Error - Kivo");
  EXPECT_EQ(d.toolkit.boxes()[1].text.substr(0, 27), "The alarm time is not valid");
  // Stored values keep their own words.
  EXPECT_EQ(readText(d.store, keys::AlarmMessage), "時間だよ(^^)");
  EXPECT_EQ(readText(d.store, keys::Language), "");

  // The setting wins over the user's language.
  sim::SimDesktop japanese;
  japanese.program.setUserLanguage("en_US");
  writeText(japanese.store, keys::Language, "ja");
  Kivo second(japanese.platform);
  second.start();
  EXPECT_EQ(second.main()->dialogButtons[MainWindow::OpenSettings]->caption(), "詳細(&S)");
}

}  // namespace
}  // namespace kivo
