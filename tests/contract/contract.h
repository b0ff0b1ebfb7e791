#pragma once
// The contract suite: the promises of the platform seam, checked only
// through the abstract services, so every backend (the simulated desktop,
// Win32, X11) runs the very same cases. A backend takes part through one
// small factory that implements ContractBackend, and links the parts
// (windows, settings, timers, journal) whose promises it keeps.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace kivo::contract {

using std::chrono::milliseconds;

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
  // Removes `section` with every key in it, so a real store is not
  // littered. Nothing where no trace stays (a scratch file, a simulation).
  virtual void dropSection(const std::string& /*section*/) {}

  // What only the windows, timers and journal parts ask for; a backend
  // without those parts keeps these defaults.
  // A real, shown top-level window of another program (for the program,
  // any window on the desktop), with this class and title; 0 on failure.
  virtual Hwnd createWindow(const std::string& /*className*/, const std::string& /*title*/) {
    return 0;
  }
  // Destroys it; the window is gone (its handle invalid) when this returns.
  virtual void destroyWindow(Hwnd /*h*/) {}
  // Processes the backend's events (timers, window messages, replies of the
  // window system) until `condition` holds, checking it between events;
  // false when `deadline` passed first. Real backends count real time, the
  // simulated desktop its own clock, whose timers fire as it advances.
  virtual bool pumpUntil(const std::function<bool()>& condition, milliseconds /*deadline*/) {
    return condition();
  }
  // Lets `duration` pass without processing anything: timers come due but
  // do not fire. A precondition of a case, never a way to wait for events.
  virtual void letTimePass(milliseconds /*duration*/) {}
  // The next message box is answered with `answer` (kIdOk ...) after it has
  // stayed open for `hold`, the program's timers firing meanwhile.
  virtual void answerNextBox(int /*answer*/, milliseconds /*hold*/) {}

  // The decoration journal, and a new one over the same records, as the
  // next run of the program makes it. Only instances with the journal part
  // ask for them.
  virtual DecorationJournal& journal() { return noJournal_; }
  virtual std::unique_ptr<DecorationJournal> freshJournal() {
    return std::make_unique<NoDecorationJournal>();
  }

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
