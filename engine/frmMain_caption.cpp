// Caption composition: reading a caption, decorating it with the clock, repairing and restoring it.
#include <cstddef>

#include "engine/program.h"
#include "platform/errors.h"
#include "platform/text.h"
#include "ui/frmMain.h"

namespace kivo {

namespace {

// The separator between title and clock, or nothing for a flag value the
// program never writes.
bool separatorOf(std::uint8_t equalSeparate, std::string& separator) {
  if (equalSeparate == 0) separator = " ";
  else if (equalSeparate == 1) separator = " = ";
  else return false;
  return true;
}

}  // namespace

std::string frmMain::GetCap(Hwnd hWnd) {
  std::string result;
  int n = 0;
  Trap trap(p_.toolkit, p_.program, "frmMain!GetCap");
  trap([&] { n = p_.windows.getWindowTextLength(hWnd); });
  trap([&] {
    if (n < 0) n = 0;
    const std::size_t size = static_cast<std::size_t>(n) + 1;
    result = p_.windows.getWindowText(hWnd, n + 1);
    // What the buffer held beyond the text stays as NULs, so a caption as
    // read always ends in at least one.
    const std::size_t got = text::length(result);
    if (got < size) result.append(size - got, '\0');
  });
  return result;
}

bool frmMain::HoldsClock(const std::string& cap, const std::string& clock) const {
  if (!clock.empty()) return text::contains(cap, clock);
  // An empty clock is "contained" in every caption, so containment would
  // take any title the window sets for our decoration and cut it away. All
  // that is left of the decoration is the separator, where it was written.
  if (strLastSep.empty()) return false;
  if (bLastRight == 0) return cap.starts_with(strLastSep);
  return text::cutAtNul(cap).ends_with(strLastSep);
}

void frmMain::GetOrgCap(const std::string& cap) {
  // Only the clock written last is in a caption of ours; the clock of this
  // tick may differ from it within one time key (seconds shown by a capital
  // SS), and looking for that one would keep the old clock as the title.
  if (!HoldsClock(cap, s_.strLastClock)) {
    s_.strOrgCap = cap;  // the window set a title of its own
    return;
  }
  // The clock is still there: cut the title out by position. The real
  // length of the clock is used, so custom clocks of any length work.
  const std::size_t clockLen = text::length(s_.strLastClock);
  std::size_t skip = 0;
  if (s_.bEqualSeparate == 0) skip = clockLen + 2;
  else if (s_.bEqualSeparate == 1) skip = clockLen + 4;
  else return;
  if (s_.bClockRight == 0) {
    s_.strOrgCap = text::mid(cap, skip);
  } else if (s_.bClockRight == 1) {
    const std::size_t len = text::length(cap);
    // A caption too short to hold title, separator and clock is one the
    // window set itself around our clock text; the title we know stays.
    if (len >= skip) s_.strOrgCap = text::left(cap, len - skip) + '\0';
  }
}

void frmMain::MakeCap() {
  Trap trap(p_.toolkit, p_.program, "frmMain!MakeCap");
  // A caption without the clock we wrote last is the window's own title.
  trap([&] {
    if (!HoldsClock(s_.strNowCap, s_.strLastClock)) s_.strOrgCap = s_.strNowCap;
  });
  trap([&] {
    std::string sep;
    if (!separatorOf(s_.bEqualSeparate, sep) || s_.bClockRight > 1) {
      strLastSep.clear();  // written back as read: no decoration of ours
      return;
    }
    if (s_.bClockRight == 0) {
      s_.strNowCap = s_.strClock + sep + s_.strOrgCap;
      // A title cut for the right side has lost its NUL. The caption must
      // still end in one, as a caption read back does, or the next tick
      // takes our own caption for one the window changed.
      if (s_.strNowCap.back() != '\0') s_.strNowCap += '\0';
    } else {
      s_.strOrgCap = std::string(text::cutAtNul(s_.strOrgCap));
      s_.strNowCap = s_.strOrgCap + sep + s_.strClock + '\0';
    }
    strLastSep = sep;
    bLastRight = s_.bClockRight;
  });
  trap([&] { s_.strLastClock = s_.strClock; });
  trap([&] { p_.windows.setWindowText(s_.hActiveWnd, s_.strNowCap); });
  // Keep the copy the window will hand back, so the next read compares equal.
  trap([&] { s_.strNowCap = p_.windows.roundTrip(s_.hActiveWnd, s_.strNowCap); });
}

void frmMain::ChkCap() {
  Trap trap(p_.toolkit, p_.program, "frmMain!ChkCap");
  trap([&] { s_.strNowCap = GetCap(s_.hActiveWnd); });
  if (s_.strNowCap == s_.strLastCap) return;  // as we left it
  trap([&] { GetOrgCap(s_.strNowCap); });
  trap([&] { ChkPika(); });
  trap([&] {
    if (s_.bExcludedWnd == 0) MakeCap();
  });
  trap([&] { s_.strLastCap = s_.strNowCap; });
}

void frmMain::RestoreCap(Hwnd hWnd) {
  // No trap: a failure here belongs to the tick.
  // The window leaving is the one the engine followed. If it was left alone
  // we never wrote it, so there is nothing to give back, whatever its title
  // holds: an empty clock (nothing written yet) is "contained" in every
  // caption, and a window of its own may well show the same time as our
  // clock; writing our cut-out copy of its title would spoil it.
  if (s_.bExcludedWnd != 0) return;
  const std::string cap = GetCap(hWnd);
  // A window that changed its caption since the last tick (on the very tick
  // it leaves, or just before the program ends) gets its latest title back,
  // not the one we knew.
  if (cap != s_.strLastCap) GetOrgCap(cap);
  // A decorated window is recognised by the clock in its caption: the one
  // written last, or this tick's.
  if (HoldsClock(cap, s_.strLastClock) || HoldsClock(cap, s_.strClock)) {
    p_.windows.setWindowText(hWnd, s_.strOrgCap);
    s_.strOrgCap = p_.windows.roundTrip(hWnd, s_.strOrgCap);
  }
}

void frmMain::RestoreOnExit() noexcept {
  Trap trap(p_.toolkit, p_.program, "frmMain!RestoreOnExit");
  // hLastWnd is the window the engine follows and strOrgCap its title;
  // RestoreCap leaves an excluded window alone. 0: no tick has run yet.
  trap([&] {
    if (hLastWnd != 0) RestoreCap(hLastWnd);
  });
}

}  // namespace kivo
