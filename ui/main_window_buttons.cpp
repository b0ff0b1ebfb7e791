// Kivo's own window: its options, its buttons and the version box.
#include <algorithm>
#include <iterator>

#include "engine/clock_template.h"
#include "kivo_version.h"
#include "platform/text.h"
#include "settings/defaults_store.h"
#include "settings/settings_save.h"
#include "ui/main_window.h"
#include "ui/refused_save_box.h"
#include "ui/settings_dialog.h"
#include "ui/window_list_dialog.h"

namespace kivo {

namespace {

constexpr int kVersionBoxStyle = kMbOkOnly | kMbSystemModal;  // no icon
constexpr const char* kVersionBoxTitle = "Kivo のバージョン情報";

}  // namespace

void MainWindow::loadOptions(SettingsStore& store) {
  RunningSettings& settings = cx_.settings;
  settings.layout.clockRight = readByte(store, keys::ClockRight);
  settings.checkInterval = readInt16(store, keys::CheckInterval);
  const auto* chosen =
      std::find(kTickIntervals.begin(), kTickIntervals.end(), settings.checkInterval);
  if (chosen == kTickIntervals.end()) {
    // Not one of the three precisions: run at Middle; the stored text stays
    // until the user confirms with OK.
    chosen = &kTickIntervals[Middle];
    settings.checkInterval = *chosen;
  }
  precision[chosen - kTickIntervals.begin()]->setValue(true);
  tickTimer->setInterval(settings.checkInterval);
  const std::int16_t stored = readInt16(store, keys::UserTaste);
  if (stored < 0 || stored >= static_cast<std::int16_t>(style.size())) {
    throw RuntimeError(kErrSubscript);
  }
  style[stored]->setValue(true);
  clockOnRight->setValue(settings.layout.clockRight);
}

// A store that refuses the save is told in a box of its own; the options
// stay in effect (held in memory) either way.
void MainWindow::saveOptions() {
  SettingsSave save(cx_.store, "the main window's options");
  save.number(keys::ClockRight, cx_.settings.layout.clockRight);
  save.number(keys::CheckInterval, cx_.settings.checkInterval);
  save.text(keys::UserTaste, style[WesternStyle]->value() ? "0" : "1");
  // The window is hidden by now: the box stands on its own.
  tellIfRefused(cx_.toolkit, 0, save);
}

void MainWindow::clickButton(Button button) {
  // A stored value that cannot be read must not end the program from a
  // button: it is reported, and the window goes on with sound values.
  constexpr const char* kWhere = "frmMain!cmdMain_Click";
  switch (button) {
    case Ok:
      setWindowState(WindowState::Minimized);
      hide();
      saveOptions();
      // A companion's custom template stays as it is.
      if (cx_.settings.companions.customTemplate == 0) {
        reportFailure(cx_.errors, kWhere,
                      [&] { cx_.settings.clockTemplate = standardTemplateFromStore(cx_.store); });
      }
      break;
    case Cancel:
      setWindowState(WindowState::Minimized);
      hide();
      if (!reportFailure(cx_.errors, kWhere, [&] { loadOptions(cx_.store); })) {
        DefaultsOnlyStore defaults;
        loadOptions(defaults);
      }
      break;
    case About:
      cx_.toolkit.messageBox(hwnd(), versionText(), cx_.texts(kVersionBoxTitle), kVersionBoxStyle);
      break;
    case Exit: unload(); break;  // the unload ends the program
  }
}

void MainWindow::openDialog(DialogButton button) {
  // Opening a dialog loads its settings from the store (a stored value may
  // not convert) and makes its windows (the system may refuse): either
  // failure is reported and the window goes on.
  constexpr const char* kWhere = "frmMain!cmdToSet.Click";
  ErrorReporter& errors = cx_.errors;
  if (button == OpenWindowList) {
    reportFailure(errors, kWhere, [&] { loadWindowList(); });
    // Minimized, so the user can bring the window to register to the front.
    setWindowState(WindowState::Minimized);
    reportFailure(errors, kWhere, [&] { windowListDialog().showModal(hwnd()); });
    dropWindowListDialog();
    setWindowState(WindowState::Normal);
    return;
  }
  reportFailure(errors, kWhere, [&] { loadAlarmSettings(cx_.store, cx_.settings); });
  reportFailure(errors, kWhere, [&] {
    // A companion's custom template decides what the clock shows.
    if (cx_.settings.companions.customTemplate != 1) return;
    for (int i = SettingsDialog::Seconds; i <= SettingsDialog::Hours24; ++i) {
      settingsDialog().displayBoxes[i]->setEnabled(false);
    }
  });
  reportFailure(errors, kWhere, [&] { settingsDialog().showModal(hwnd()); });
  dropSettingsDialog();
}

std::string MainWindow::versionText() const {
  std::string v = std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor);
  const CompanionFlags& companions = cx_.settings.companions;
  if (companions.versionMarkH == 1) v += "H";
  if (companions.versionMarkT == 1) v += "T";
  if (companions.customTemplate == 1) v += "X";
  const std::size_t vLen = text::length(v);
  const std::size_t pad = vLen < 13 ? 13 - vLen : 0;
  const std::string lines[] = {
      "        Kivo for Windows NT/95",
      "",
      "         - Welmark -",
      "",
      std::string(pad, ' ') + "Version " + v + "   Japanese",
      "",
      "",
      "Copyright (C) Welmark. All rights reserved.",
  };
  std::string out = lines[0];
  for (std::size_t i = 1; i < std::size(lines); ++i) out += "\r\n" + lines[i];
  return out;
}

}  // namespace kivo
