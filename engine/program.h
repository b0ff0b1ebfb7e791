#pragma once
// The program object: the platform services, the engine state and the three
// windows. Dialog objects exist only while they are in use.

#include <memory>

#include "engine/state.h"
#include "platform/platform.h"
#include "settings/held_store.h"

namespace kivo {

class frmMain;
class frmSet;
class frmWSet;

class Kivo {
  // Declared first: `p` is made from them.
  // The store the program reads and writes: the platform's, with the values
  // it refused to save held in memory (settings/held_store.h).
  HeldSettingsStore held_;
  Platform platform_;

 public:
  // The program works on `platform` with its store behind a HeldSettingsStore.
  explicit Kivo(Platform& platform);
  ~Kivo();
  Kivo(const Kivo&) = delete;
  Kivo& operator=(const Kivo&) = delete;

  // Creates the main window and loads it (its Form_Load is the start-up).
  void start();
  // Ends the program at once: gives the window that carries the clock its
  // own title back (frmMain::RestoreOnExit), then stops the ticks and asks
  // the toolkit to quit. The one way out: Form_Unload and a start that hands
  // over call it, and so do the backends on logging out and on termination
  // signals. Only the first call does anything.
  void end();
  bool ended() const { return ended_; }

  Platform& p;
  EngineState s;
  // p.store, for the saves that hold what it refuses.
  HeldSettingsStore& settings() { return held_; }

  frmMain* main() const { return main_.get(); }
  // The dialog objects: created (loaded, hidden) on first use, like the
  // classic auto-created forms, and discarded with drop*().
  frmSet& set();
  frmWSet& wset();
  frmSet* setIfLoaded() const { return set_.get(); }
  frmWSet* wsetIfLoaded() const { return wset_.get(); }
  void dropSet();
  void dropWSet();

 private:
  std::unique_ptr<frmMain> main_;
  std::unique_ptr<frmSet> set_;
  std::unique_ptr<frmWSet> wset_;
  bool ended_ = false;
};

}  // namespace kivo
