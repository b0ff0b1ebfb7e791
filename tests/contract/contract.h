#pragma once
// The contract suite: the promises of the platform seam, checked only
// through the abstract services, so every backend (the simulated desktop,
// Win32, X11) runs the very same cases. A backend takes part through one
// small factory that implements ContractBackend.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace kivo::contract {

using std::chrono::milliseconds;

// One promise per case of the suite. A backend that cannot check one names
// it in cannot(), and the case is reported as skipped with the reason.
enum class Promise {
  // Windows.
  NothingForNoWindow,        // handle 0: "nothing" results, harmless writes
  NothingForVanishedWindow,  // a window that has just gone: the same
  TitleCutAtNul,             // the window keeps the text up to its first NUL
  TextCutInCharacters,       // reads cut by the buffer size, in characters
  LosslessLatin1Titles,
  LosslessJapaneseTitles,
  LosslessNonBmpTitles,  // characters outside the Basic Multilingual Plane
  FindWindowExact,       // by exact class and title
  ForegroundFollows,     // the foreground after setForegroundWindow
  RectFollowsMove,       // the rectangle after setWindowPos
  // Settings.
  MissingSettingGivesDefault,
  SettingValuesVerbatim,
  DeleteMissingSettingFails,  // RuntimeError 5
  DeleteSettingRemovesIt,
  FreshStoreSharesStorage,
  // Timers and message boxes.
  TimerIntervalChange,
  TimerDisable,
  TimerNeverNests,  // a handler never nests, in a message box or in doEvents
  DoEventsRunsDueTimer,
  MessageBoxAnswers,
  // Decoration records.
  RecordsOutliveTheProgram,  // a fresh journal (the next run) lists them until forgotten
  RecordDiesWithItsWindow,   // never listed once the window has gone
};

class ContractBackend {
 public:
  virtual ~ContractBackend() = default;

  // The services under test, alive as long as the backend.
  virtual WindowSystem& windows() = 0;
  virtual Toolkit& toolkit() = 0;
  virtual SettingsStore& store() = 0;
  // A new store object over the same storage as store(): what one of them
  // writes the other reads, as a companion program or the next run would.
  virtual std::unique_ptr<SettingsStore> freshStore() = 0;
  // The suite has deleted every key it wrote in `section`; removes what is
  // left of the section itself (an empty registry key, an empty INI
  // section), so a real store is not littered. Nothing where no trace stays.
  virtual void dropSection(const std::string& section) = 0;

  // A real, shown top-level window of another program (for the program,
  // any window on the desktop), with this class and title; 0 on failure.
  virtual Hwnd createWindow(const std::string& className, const std::string& title) = 0;
  // Destroys it; the window is gone (its handle invalid) when this returns.
  virtual void destroyWindow(Hwnd h) = 0;

  // Processes the backend's events (timers, window messages, replies of the
  // window system) until `condition` holds, checking it between events;
  // false when `deadline` passed first. Real backends count real time, the
  // simulated desktop its own clock, whose timers fire as it advances.
  virtual bool pumpUntil(const std::function<bool()>& condition, milliseconds deadline) = 0;
  // Lets `duration` pass without processing anything: timers come due but
  // do not fire. A precondition of a case, never a way to wait for events.
  virtual void letTimePass(milliseconds duration) = 0;
  // The next message box is answered with `answer` (kIdOk ...) after it has
  // stayed open for `hold`, the program's timers firing meanwhile.
  virtual void answerNextBox(int answer, milliseconds hold) = 0;

  // The decoration journal, and a new one over the same records, as the
  // next run of the program makes it. Only instances with the journal part
  // ask for them.
  virtual DecorationJournal& journal() { return noJournal_; }
  virtual std::unique_ptr<DecorationJournal> freshJournal() {
    return std::make_unique<NoDecorationJournal>();
  }
  // Why this backend cannot check `promise`, or nothing when it can.
  virtual std::optional<std::string> cannot(Promise promise) = 0;

 private:
  NoDecorationJournal noJournal_;
};

// Each backend's factory file defines this.
std::unique_ptr<ContractBackend> makeContractBackend();

// The one backend of this test program, made on first use and destroyed
// after the last case (real backends own a toolkit that lives once per
// process).
ContractBackend& backend();

// A short text unique to this run, for the classes, titles and settings
// sections the suite makes: runs on one desktop or store never meet.
const std::string& runToken();

// Long enough for any real backend's round trip under load; a simulated
// desktop gets there in simulated time.
inline constexpr milliseconds kDeadline{10000};

}  // namespace kivo::contract

// Opens every case: skips it, with the backend's reason, when the backend
// cannot check the promise.
#define KIVO_CONTRACT(promise)                                                                \
  do {                                                                                        \
    if (const auto why_ = ::kivo::contract::backend().cannot(promise)) GTEST_SKIP() << *why_; \
  } while (false)
