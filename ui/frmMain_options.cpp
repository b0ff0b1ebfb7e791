// The main window's options, its buttons, the version box and the centring on restore.
#include <iterator>

#include "clocktext/mdlKivo_template.h"
#include "engine/mdlKivo.h"
#include "engine/program.h"
#include "engine/startup_defaults.h"
#include "platform/errors.h"
#include "platform/text.h"
#include "settings/frmSet.h"
#include "settings/frmWSet.h"
#include "settings/layout.h"
#include "settings/settings_save.h"
#include "ui/frmMain.h"

namespace kivo {

namespace {

constexpr int kVersionBoxStyle = kMbOkOnly | kMbSystemModal;  // no icon
constexpr const char* kVersionBoxTitle = "Kivo のバージョン情報";

std::int16_t intervalOf(int index) {
  static constexpr std::int16_t kIntervals[] = {50, 250, 1000};
  return kIntervals[index];
}

// The main options from a store into the engine state and the controls.
void loadMainOptionsFrom(frmMain& f, EngineState& s, SettingsStore& store) {
  s.bClockRight = readByte(store, keys::ClockRight);
  s.intCheckInterval = readInt16(store, keys::CheckInterval);
  switch (s.intCheckInterval) {
    case 50: f.optInterval[0]->setValue(true); break;
    case 250: f.optInterval[1]->setValue(true); break;
    case 1000: f.optInterval[2]->setValue(true); break;
    default:
      // Not one of the three precisions: run at Middle; the stored text stays
      // until the user confirms with OK.
      s.intCheckInterval = 250;
      f.optInterval[1]->setValue(true);
      break;
  }
  f.tmrMain->setInterval(s.intCheckInterval);
  const std::int16_t taste = readInt16(store, keys::UserTaste);
  if (taste < 0 || taste >= static_cast<std::int16_t>(f.optTaste.size()))
    throw RuntimeError(kErrSubscript);
  f.optTaste[taste]->setValue(true);
  f.chkRight->setValue(s.bClockRight);
}

}  // namespace

void ApplyDefaultMainOptions(frmMain& form, EngineState& s) {
  DefaultsOnlyStore defaults;
  loadMainOptionsFrom(form, s, defaults);
}

void frmMain::LoadMainOptions() { loadMainOptionsFrom(*this, s_, p_.store); }

// A store that refuses the save is told in a box of its own; the options
// stay in effect (held in memory) either way.
void frmMain::SaveMainOptions() {
  SettingsSave save(app_.settings(), "the main window's options");
  save.number(keys::ClockRight, s_.bClockRight);
  save.number(keys::CheckInterval, s_.intCheckInterval);
  save.text(keys::UserTaste, optTaste[0]->value() ? "0" : "1");
  // The window is hidden by now: the box stands on its own.
  save.finish(p_.toolkit, 0);
}

void frmMain::chkRight_Click() {
  // Takes effect at the next composition of a caption; OK stores it.
  s_.bClockRight = static_cast<std::uint8_t>(chkRight->value());
}

void frmMain::optInterval_Click(int index) {
  // Only OK stores it, and only a reload applies it to the running tick.
  s_.intCheckInterval = intervalOf(index);
}

void frmMain::cmdMain_Click(int index) {
  // A stored value that cannot be read must not end the program from a
  // button: it is reported, and the window goes on with sound values.
  Trap trap(p_.toolkit, p_.program, "frmMain!cmdMain_Click");
  switch (index) {
    case 0:  // OK
      setWindowState(WindowState::Minimized);
      hide();
      SaveMainOptions();
      if (s_.PlugInFlags.KivoXX == 0) {
        // The custom template of a companion program stays as it is.
        trap([&] {
          s_.strClockTemplate = MakeClockTemplate(p_.store, readByte(p_.store, keys::UserTaste));
        });
      }
      break;
    case 1:  // Cancel
      setWindowState(WindowState::Minimized);
      hide();
      if (!trap([&] { LoadMainOptions(); })) ApplyDefaultMainOptions(*this, s_);
      break;
    case 2: p_.toolkit.messageBox(hwnd(), VersionText(), kVersionBoxTitle, kVersionBoxStyle); break;
    case 3:  // Exit: the unload ends the program.
      unload();
      break;
    default: break;
  }
}

void frmMain::cmdToSet_Click(int index) {
  Trap trap(p_.toolkit, p_.program, "frmMain!cmdToSet.Click");
  if (index == 0) {
    trap([&] { LoadWindowList(app_); });
    // Minimized, so the user can bring the window to register to the front.
    trap([&] { setWindowState(WindowState::Minimized); });
    trap([&] { app_.wset().showModal(hwnd()); });
    trap([&] { app_.dropWSet(); });
    trap([&] { setWindowState(WindowState::Normal); });
  } else if (index == 1) {
    trap([&] { LoadAlarmSettings(app_); });
    trap([&] {
      // A companion's custom template decides what the clock shows.
      if (s_.PlugInFlags.KivoXX != 1) return;
      for (int i = 0; i <= 4; ++i) app_.set().chkShow[i]->setEnabled(false);
    });
    trap([&] { app_.set().showModal(hwnd()); });
    trap([&] { app_.dropSet(); });
  }
}

void frmMain::Form_Resize() {
  Trap trap(p_.toolkit, p_.program, "frmMain_Resize");
  if (bResizeArmed != 1) {
    // The first resize comes from start-up's own showing.
    bResizeArmed = 1;
    return;
  }
  if (windowState() == WindowState::Minimized) return;
  trap([&] {
    move((p_.toolkit.screenWidthTwips() - width()) / 2,
         (p_.toolkit.screenHeightTwips() - height()) / 2);
  });
}

std::string frmMain::VersionText() {
  std::string v =
      std::to_string(p_.program.versionMajor()) + "." + std::to_string(p_.program.versionMinor());
  if (s_.PlugInFlags.Vudadiz == 1) v += "H";
  if (s_.PlugInFlags.KivoTT == 1) v += "T";
  if (s_.PlugInFlags.KivoXX == 1) v += "X";
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
