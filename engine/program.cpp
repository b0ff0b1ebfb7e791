// The program object: owns the main window and, while they are in use, the two dialogs.
#include "engine/program.h"

#include "settings/frmSet.h"
#include "settings/frmWSet.h"
#include "ui/frmMain.h"

namespace kivo {

Kivo::Kivo(Platform& platform)
    : held_(platform.store),
      platform_{platform.windows,    platform.sound,   platform.shell,
                platform.fileDialog, platform.toolkit, held_,
                platform.clock,      platform.program, platform.journal},
      p(platform_) {}

Kivo::~Kivo() = default;

void Kivo::start() {
  main_ = std::make_unique<frmMain>(*this);
  main_->load();
}

void Kivo::end() {
  if (ended_) return;
  ended_ = true;
  // Every way out gives the decorated window its own title back: a clock
  // left in a caption would stay there for good, and the next start would
  // take it for part of the title and put a second clock beside it.
  if (main_) main_->RestoreOnExit();
  // Ending "at once" means no tick may run after this, whatever the toolkit
  // still has queued.
  if (main_) {
    if (main_->tmrMain) main_->tmrMain->setEnabled(false);
    if (main_->tmrFlash) main_->tmrFlash->setEnabled(false);
  }
  p.toolkit.quit();
}

namespace {

// A dialog that has closed is gone for good: the next use gets a fresh one,
// so every opening starts from the stored settings.
template <class Dialog>
Dialog& loadedDialog(std::unique_ptr<Dialog>& slot, Kivo& app) {
  if (!slot || slot->closed()) {
    slot.reset();
    slot = std::make_unique<Dialog>(app);
    slot->load();
  }
  return *slot;
}

}  // namespace

frmSet& Kivo::set() { return loadedDialog(set_, *this); }

frmWSet& Kivo::wset() { return loadedDialog(wset_, *this); }

void Kivo::dropSet() {
  if (set_ && !set_->closed()) set_->unload();
  set_.reset();
}

void Kivo::dropWSet() {
  if (wset_ && !wset_->closed()) wset_->unload();
  wset_.reset();
}

}  // namespace kivo
