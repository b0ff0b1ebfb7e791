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

void frmMain::MakeCap() {
  Trap trap(p_.toolkit, p_.program, "frmMain!MakeCap");
  // A caption without the clock we wrote last is the window's own title.
  trap([&] {
    if (!text::contains(s_.strNowCap, s_.strLastClock)) s_.strOrgCap = s_.strNowCap;
  });
  trap([&] {
    std::string sep;
    if (!separatorOf(s_.bEqualSeparate, sep)) return;
    if (s_.bClockRight == 0) {
      s_.strNowCap = s_.strClock + sep + s_.strOrgCap;
    } else if (s_.bClockRight == 1) {
      s_.strOrgCap = std::string(text::cutAtNul(s_.strOrgCap));
      s_.strNowCap = s_.strOrgCap + sep + s_.strClock + '\0';
    }
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
  trap([&] {
    if (!text::contains(s_.strNowCap, s_.strClock)) {
      s_.strOrgCap = s_.strNowCap;  // the window set a title of its own
      return;
    }
    // The clock is still there: cut the title out by position. The real
    // length of the clock is used, so custom clocks of any length work.
    const std::size_t clockLen = text::length(s_.strClock);
    std::size_t skip = 0;
    if (s_.bEqualSeparate == 0) skip = clockLen + 2;
    else if (s_.bEqualSeparate == 1) skip = clockLen + 4;
    else return;
    if (s_.bClockRight == 0) {
      s_.strOrgCap = text::mid(s_.strNowCap, skip);
    } else if (s_.bClockRight == 1) {
      const std::size_t len = text::length(s_.strNowCap);
      // A caption too short to hold title, separator and clock is one the
      // window set itself around our clock text; the title we know stays.
      if (len >= skip) s_.strOrgCap = text::left(s_.strNowCap, len - skip) + '\0';
    }
  });
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
  // A decorated window is recognised by the clock in its caption. A clock
  // that renders empty still counts, or a decorated window would keep its
  // bare separator and collect another one each time it came back.
  if (text::contains(cap, s_.strLastClock) || text::contains(cap, s_.strClock)) {
    p_.windows.setWindowText(hWnd, s_.strOrgCap);
    s_.strOrgCap = p_.windows.roundTrip(hWnd, s_.strOrgCap);
  }
}

}  // namespace kivo
