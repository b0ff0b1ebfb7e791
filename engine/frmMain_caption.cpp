// Caption composition: reading a caption, decorating it with the clock, repairing and restoring it.
#include <cstddef>
#include <optional>
#include <string_view>

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

std::optional<std::string> frmMain::TitleBesideClock(const std::string& cap) const {
  // Only a caption with our clock where we put it carries our decoration:
  // first, then the separator (left); or the separator, then the clock, at
  // the very end before the NULs (right). A title that merely holds the
  // clock's text somewhere is the window's own, however much it looks like
  // a time. The clock is the one written last or this tick's (the minute may
  // have turned since the write); the separator and side are those of the
  // write, whatever the settings say now.
  if (strLastSep.empty()) return std::nullopt;  // nothing of ours written
  for (const std::string* clock : {&s_.strLastClock, &s_.strClock}) {
    if (bLastRight == 0) {
      const std::string mark = *clock + strLastSep;
      if (cap.starts_with(mark)) return cap.substr(mark.size());
    } else {
      const std::string_view shown = text::cutAtNul(cap);
      const std::string mark = strLastSep + *clock;
      if (shown.ends_with(mark)) {
        return std::string(shown.substr(0, shown.size() - mark.size())) + '\0';
      }
    }
  }
  return std::nullopt;
}

void frmMain::GetOrgCap(const std::string& cap) {
  if (std::optional<std::string> title = TitleBesideClock(cap)) {
    s_.strOrgCap = std::move(*title);
  } else {
    s_.strOrgCap = cap;  // the window set a title of its own
  }
}

void frmMain::MakeCap() {
  // A handler that was waiting on a box when the program ended (a signal,
  // logging out) finishes its run: it must not put back the clock the end
  // has just taken away.
  if (app_.ended()) return;
  Trap trap(p_.toolkit, p_.program, "frmMain!MakeCap");
  // A caption without our clock where we put it is the window's own title.
  trap([&] {
    if (!TitleBesideClock(s_.strNowCap)) s_.strOrgCap = s_.strNowCap;
  });
  bool decorated = false;
  trap([&] {
    std::string sep;
    if (!separatorOf(s_.bEqualSeparate, sep) || s_.bClockRight > 1) {
      // Flags the program never writes: no layout, the title as it is. When
      // the caption still shows our earlier clock, that goes: no one would
      // know it for ours any more, and it would stay for good.
      s_.strNowCap = s_.strOrgCap;
      if (s_.strNowCap.empty() || s_.strNowCap.back() != '\0') s_.strNowCap += '\0';
      strLastSep.clear();
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
    decorated = true;
  });
  trap([&] { s_.strLastClock = s_.strClock; });
  // The copy the window will hand back, so the next read compares equal. It
  // is recorded before the write: a program killed in between leaves a
  // record the window does not match, which the next start just drops,
  // never a clock no record knows of.
  std::string written;
  trap([&] { written = p_.windows.roundTrip(s_.hActiveWnd, s_.strNowCap); });
  if (decorated) {
    p_.journal.remember(s_.hActiveWnd, std::string(text::cutAtNul(written)),
                        std::string(text::cutAtNul(s_.strOrgCap)));
  } else {
    p_.journal.forget(s_.hActiveWnd);
  }
  trap([&] { p_.windows.setWindowText(s_.hActiveWnd, s_.strNowCap); });
  trap([&] { s_.strNowCap = written; });
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
  // holds.
  if (s_.bExcludedWnd != 0) return;
  const std::string cap = GetCap(hWnd);
  // A window that changed its caption since the last tick (on the very tick
  // it leaves, or just before the program ends) gets its latest title back,
  // not the one we knew.
  if (cap != s_.strLastCap) GetOrgCap(cap);
  // Only a caption that still carries our clock where we put it is written;
  // any other is the window's own and stays as it is.
  if (TitleBesideClock(cap)) {
    p_.windows.setWindowText(hWnd, s_.strOrgCap);
    s_.strOrgCap = p_.windows.roundTrip(hWnd, s_.strOrgCap);
  }
  p_.journal.forget(hWnd);
}

void frmMain::GiveBackLeftOverTitles() {
  // Records an earlier run could not settle (killed, crashed, the session
  // cut off): a window still showing what was written gets its own title
  // back; one that has retitled itself since keeps what it chose.
  Trap trap(p_.toolkit, p_.program, "frmMain!Form_Load");
  for (const DecorationRecord& record : p_.journal.leftOver()) {
    trap([&] {
      if (text::cutAtNul(GetCap(record.window)) == record.written) {
        p_.windows.setWindowText(record.window, record.title);
      }
    });
    p_.journal.forget(record.window);
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
