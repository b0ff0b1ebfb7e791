#pragma once
// The whole simulated desktop: every platform service on one object, and the
// Platform bundle the program receives.
//
// Implements: every service of platform/platform.h in memory: windows and
//   their titles, the settings store, a clock that moves only when told,
//   timers, message boxes and the open-file dialog with scripted answers,
//   and sounds, shell opens, flashes and moves recorded as events.
// Cannot: nothing the seam's contract asks (every case of tests/contract
//   runs on it); it shows no pixels and plays no sound, by design.

#include "platform/platform.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_events.h"
#include "platform/sim/sim_services.h"
#include "platform/sim/sim_store.h"
#include "platform/sim/sim_toolkit.h"
#include "platform/sim/sim_windows.h"

namespace kivo::sim {

// Every simulated service but the toolkit: the store, the clock, the window
// system, sounds, the shell, the file dialog and the program's facts.
// Around a real toolkit (the program's forms real windows, nothing else of
// the desktop touched), `platformWith` gives the bundle, with a real window
// system where one is given and no decoration journal.
struct SimServices {
  EventLog log;
  SimClock clock;
  SimStore store;
  SimWindowSystem windows{log};
  SimSound sound{log};
  SimShell shell{log};
  SimFileDialog fileDialog{log};
  SimProgramInfo program;

  Platform platformWith(Toolkit& toolkit) { return platformWith(toolkit, windows); }
  Platform platformWith(Toolkit& toolkit, WindowSystem& windowSystem) {
    return Platform{windowSystem, sound, shell,   fileDialog, toolkit,
                    store,        clock, program, noJournal_};
  }

  SimServices() = default;
  SimServices(const SimServices&) = delete;
  SimServices& operator=(const SimServices&) = delete;

 private:
  NoDecorationJournal noJournal_;
};

// The whole simulated desktop: the services with the simulated toolkit.
struct SimDesktop : SimServices {
  // Installs the window system's hooks, so the program's forms learn what
  // the window functions do to their windows.
  SimToolkit toolkit{log, clock, windows};
  // Records live on the simulated windows, so they outlive a program object
  // dropped without its end (a killed program) and die with their window.
  SimDecorationJournal journal{windows};
  Platform platform{windows, sound, shell, fileDialog, toolkit, store, clock, program, journal};
};

}  // namespace kivo::sim
