// The program object.
#include "app/program.h"

#include "ui/main_window.h"

namespace kivo {

Kivo::Kivo(Platform& platform)
    : platform_(platform),
      store_(platform.store),
      errors_(platform.toolkit, texts_),
      shake_(platform.windows, platform.toolkit, store_, errors_,
             [this] { return mainWindowHandle(); }),
      flash_(platform.windows, store_, errors_, [this] { return mainWindowHandle(); }),
      hourly_(platform.clock, store_, platform.sound, platform.toolkit, errors_, shake_,
              [this] { startFlash(); }),
      alarm_(
          {platform.clock, store_, platform.sound, platform.shell, platform.toolkit},
          settings_.alarm, [this] { return mainWindowHandle(); }, [this] { startFlash(); }),
      engine_({platform.windows, platform.journal, platform.clock, errors_}, settings_, hourly_,
              alarm_) {}

Kivo::~Kivo() = default;

Hwnd Kivo::mainWindowHandle() const { return main_ ? main_->hwnd() : 0; }

void Kivo::startFlash() {
  if (main_) main_->flashTimer->setEnabled(true);
}

void Kivo::start() {
  texts_.use(chooseLanguage(readText(store_, keys::Language), platform_.program.userLanguage()));
  const WindowContext context{platform_.toolkit,
                              platform_.windows,
                              platform_.fileDialog,
                              platform_.program,
                              store_,
                              settings_,
                              errors_,
                              texts_};
  main_ = std::make_unique<MainWindow>(context, engine_, flash_, [this] { end(); });
  main_->load();
}

void Kivo::end() {
  if (ended_) return;
  ended_ = true;
  // Every way out gives the decorated window its own title back: a clock
  // left in a caption would stay there for good, and the next start would
  // take it for part of the title and put a second clock beside it.
  engine_.restoreOnExit();
  if (main_) main_->removeTrayIcon();
  // Ending "at once" means no tick may run after this, whatever the toolkit
  // still has queued.
  if (main_) {
    main_->tickTimer->setEnabled(false);
    main_->flashTimer->setEnabled(false);
  }
  platform_.toolkit.quit();
}

}  // namespace kivo
