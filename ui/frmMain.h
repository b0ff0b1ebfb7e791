#pragma once
// The main window: its controls, instance variables and event handlers, and
// the engine procedures that belong to it (defined in engine/, signals/ and
// ui/ by subsystem).

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "ui/forms.h"

namespace kivo {

class Kivo;
struct EngineState;

// A second start looks for the window of class kFormWindowClass (every
// form window has it) with this caption.
inline constexpr const char* kMainCaption = "Kivo for Windows NT/95";

class frmMain : public Form {
 public:
  explicit frmMain(Kivo& app);

  // Controls, in tab order.
  std::array<Frame*, 2> fraMain{};
  std::array<OptionButton*, 3> optInterval{};
  std::array<OptionButton*, 2> optTaste{};
  CheckBox* chkRight = nullptr;
  std::array<CommandButton*, 2> cmdToSet{};
  std::array<CommandButton*, 4> cmdMain{};
  Timer* tmrFlash = nullptr;
  Timer* tmrMain = nullptr;

  // Instance variables.
  Hwnd hLastWnd = 0;
  std::string strLastTime;
  std::uint8_t bResizeArmed = 0;
  std::uint8_t bSignalDone = 0;
  std::uint8_t bytFlashCount = 0;
  std::uint8_t bytFlashLimit = 0;
  std::uint8_t bAlarmRepeat = 0;
  std::uint8_t bytAlarmWait = 0;
  // The hour in which the hourly signals were last given (with its date), so
  // that an hour whose minute 01 passed unseen (asleep) still re-arms.
  Date datSignalDate{};
  std::int16_t intSignalHour = -1;
  // The separator and side of the caption composed last ("" when the flags
  // selected no layout). An empty clock leaves only its separator in the
  // caption, and a new side or separator waits for the next rewrite, so this
  // is how the caption written last is recognised.
  std::string strLastSep;
  std::uint8_t bLastRight = 0;

  // Form events.
  void Form_Load() override;
  void Form_Resize() override;
  void Form_Unload() override;

  // Control events.
  void tmrMain_Timer();
  void tmrFlash_Timer();
  void chkRight_Click();
  void optInterval_Click(int index);
  void cmdMain_Click(int index);
  void cmdToSet_Click(int index);

  // Caption composition.
  std::string GetCap(Hwnd hWnd);
  void MakeCap();
  void ChkCap();
  void RestoreCap(Hwnd hWnd);
  // The window's own title in a caption that carries our clock (written
  // last, or this tick's) where we put it, beside the separator we used;
  // nothing for any other caption, which is then the window's own title.
  std::optional<std::string> TitleBesideClock(const std::string& cap) const;
  // strOrgCap from a caption the window changed: the title beside our clock
  // when the caption carries it, else the whole caption.
  void GetOrgCap(const std::string& cap);
  // Before the first tick: every window an earlier run left decorated (as
  // its journal records) and that still shows what was written gets its own
  // title back.
  void GiveBackLeftOverTitles();
  // Gives the window that carries the clock its own title back. The one way
  // out of the program: Kivo::end() calls it, and with it every backend on
  // logging out and on a termination signal. Writes nothing to a window left
  // alone (bExcludedWnd = 1) or when nothing was decorated; safe to call
  // more than once; reports a run-time error and never throws.
  void RestoreOnExit() noexcept;
  // Exclusions.
  void ChkWList(const std::string& className, std::uint8_t& result);
  void ChkTARO(const std::string& className, std::uint8_t& result);
  // Signals and alarm.
  void ChkPika();
  void VibrateWindow(Hwnd hWnd, std::int16_t n);
  void ChkAlarm();
  // Main options.
  void LoadMainOptions();
  void SaveMainOptions();

  // The version box text (also used by tests).
  std::string VersionText();

 private:
  Kivo& app_;
  Platform& p_;
  EngineState& s_;
};

}  // namespace kivo
