// Start-up, the main tick and the end of the program.
#include <cctype>

#include "clocktext/mdlKivoX.h"
#include "clocktext/mdlKivo_template.h"
#include "clocktext/picture.h"
#include "engine/mdlKivo.h"
#include "engine/program.h"
#include "engine/startup_defaults.h"
#include "platform/errors.h"
#include "settings/convert.h"
#include "settings/layout.h"
#include "ui/frmMain.h"

namespace kivo {

namespace {

// A time key ("h:n" or "h:n:s") as "h:nn", so that keys of the seconds form
// compare by hour and minute only. Empty stays empty; a text that is no time
// is compared as it is.
std::string hourMinute(const std::string& key) {
  if (key.empty()) return key;
  int part[2] = {0, 0};
  std::size_t pos = 0;
  for (int k = 0; k < 2; ++k) {
    const std::size_t start = pos;
    int v = 0;
    while (pos < key.size() && std::isdigit(static_cast<unsigned char>(key[pos])) &&
           pos - start < 2) {
      v = v * 10 + (key[pos] - '0');
      ++pos;
    }
    if (pos == start) return key;
    part[k] = v;
    if (k == 0) {
      if (pos >= key.size() || key[pos] != ':') return key;
      ++pos;
    }
  }
  if (pos < key.size() && key[pos] != ':') return key;
  if (part[0] > 23 || part[1] > 59) return key;
  return formatTime(TimeOfDay{part[0], part[1], 0}, "h:nn");
}

}  // namespace

void ApplyDefaultAlarmSettings(EngineState& s) {
  s.bAlarm = toByte(keys::Alarm.defaultText);
  s.bEqualSeparate = toByte(keys::EqualSeparate.defaultText);
  s.strAlarmMessage = keys::AlarmMessage.defaultText;
  s.strAlarmTime = keys::AlarmTime.defaultText;
}

void frmMain::Form_Load() {
  // 1. Hand over to a running instance: bring its main window up and end
  // without touching a setting.
  if (p_.program.previousInstance()) {
    const Hwnd found = p_.windows.findWindow(kFormWindowClass, kMainCaption);
    p_.windows.showWindow(found, kSwShowNormal);
    const Hwnd again = p_.windows.findWindow(kFormWindowClass, kMainCaption);
    ShowWindowOnTop(p_, again, kHwndTop, 1);
    app_.end();
    return;
  }

  // 2.-4. Out of sight, just beyond the left edge, under the caption a second
  // start looks for.
  hide();
  setLeft(-width());
  setCaption(kMainCaption);

  // 5.-9. A setting that cannot be loaded must not keep the clock from
  // starting: each step that fails is reported and goes on with the defaults
  // of a fresh installation. Nothing is written back to the store.
  Trap trap(p_.toolkit, p_.program, "frmMain!Form_Load");
  if (!trap([&] { LoadMainOptions(); })) ApplyDefaultMainOptions(*this, s_);
  if (!trap([&] { LoadAlarmSettings(app_); })) ApplyDefaultAlarmSettings(s_);
  if (!trap([&] { LoadWindowList(app_); })) s_.bytWListCount = 0;
  if (!trap([&] { s_.PlugInFlags = LoadPlugIns(app_); })) s_.PlugInFlags = PlugInFlagsRecord{};
  if (s_.PlugInFlags.KivoXX != 0) {
    s_.strClockTemplate = GetXXF(p_);  // reports its own failures
    optTaste[0]->setEnabled(false);
    optTaste[1]->setEnabled(false);
  } else if (!trap([&] {
               s_.strClockTemplate =
                   MakeClockTemplate(p_.store, readByte(p_.store, keys::UserTaste));
             })) {
    DefaultsOnlyStore defaults;
    s_.strClockTemplate = MakeClockTemplate(defaults, toByte(keys::UserTaste.defaultText));
  }

  // 10. Loading the window list may have created the window-list dialog.
  app_.dropSet();
  app_.dropWSet();

  // 11. Leave the window minimized and hidden; a second start restores it.
  show();
  setWindowState(WindowState::Minimized);
  hide();

  GiveBackLeftOverTitles();
}

void frmMain::Form_Unload() {
  Trap trap(p_.toolkit, p_.program, "frmMain_Unload");
  // Ends at once; the end gives the window that carries the clock its title
  // back (normally this very window, in front when Exit is clicked).
  trap([&] { app_.end(); });
}

void frmMain::tmrMain_Timer() {
  Trap trap(p_.toolkit, p_.program, "frmMain!tmrMain_Timer");
  std::string timeKey;
  trap([&] { s_.strClock = FromXXFToShowClk(p_, s_.strClockTemplate, timeKey); });
  trap([&] { s_.hActiveWnd = p_.windows.getForegroundWindow(); });

  if (s_.hActiveWnd == hLastWnd) {
    trap([&] { s_.strNowCap = GetCap(s_.hActiveWnd); });
    if (strLastTime == timeKey) {
      // Same minute (or second): only repair a caption the window changed.
      // The tick stores neither the key nor the caption on this path.
      trap([&] { ChkCap(); });
      return;
    }
    // A title the window set since the last tick is its latest one, also
    // when it kept our clock in it: recover it before the new clock goes in.
    trap([&] {
      if (s_.bExcludedWnd == 0 && s_.strNowCap != s_.strLastCap) GetOrgCap(s_.strNowCap);
    });
    trap([&] { ChkPika(); });
    trap([&] {
      if (s_.bExcludedWnd == 0) MakeCap();
    });
    trap([&] {
      if (s_.bAlarm == 1 && hourMinute(timeKey) != hourMinute(strLastTime)) ChkAlarm();
    });
    trap([&] { strLastTime = timeKey; });
    trap([&] { s_.strLastCap = s_.strNowCap; });
    return;
  }

  // A new window in front (the first tick after start-up lands here too, as
  // does a desktop with no foreground window).
  trap([&] { RestoreCap(hLastWnd); });
  trap([&] { hLastWnd = s_.hActiveWnd; });
  std::string className;
  trap([&] { className = GetForegroundCN(app_); });
  std::uint8_t special = 0;
  trap([&] { ChkTARO(className, special); });

  const auto decorate = [&] {
    trap([&] { s_.strNowCap = GetCap(s_.hActiveWnd); });
    trap([&] { s_.strOrgCap = s_.strNowCap; });
    trap([&] { MakeCap(); });
    trap([&] { s_.bExcludedWnd = 0; });
  };
  if ((s_.bytWListCount | special) == 0) {
    decorate();
  } else {
    std::uint8_t listed = 0;
    trap([&] { ChkWList(className, listed); });
    if ((listed | special) == 0) {
      decorate();
    } else {
      trap([&] { s_.strNowCap = GetCap(s_.hActiveWnd); });
      trap([&] { s_.strOrgCap = s_.strNowCap; });
      trap([&] { s_.bExcludedWnd = 1; });
    }
  }
  trap([&] { ChkPika(); });
  trap([&] { strLastTime = timeKey; });
  trap([&] { s_.strLastCap = s_.strNowCap; });
}

}  // namespace kivo
