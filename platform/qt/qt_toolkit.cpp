// Qt toolkit: the event loops (main, modal, DoEvents), timers, quit, the
// screen's metrics and the end of the session (signals, session manager).
#include "platform/qt/qt_toolkit.h"

#include <cstring>

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFont>
#include <QIcon>
#include <QLoggingCategory>
#include <QOpenGLContext>
#include <QScreen>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>

#include "platform/qt/qt_form_view.h"
#include "platform/qt/qt_tray.h"
#include "platform/qt/qt_util.h"

// Resources of a static library are registered by hand (outside any namespace).
static void initKivoQtResources() { Q_INIT_RESOURCE(kivo_qt); }

namespace kivo::qt {

namespace {

constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};
struct sigaction g_previous[std::size(kEndSignals)];
// The write end of the toolkit's self-pipe: a signal handler may do no more
// than write a byte to it; the event loop does the rest.
volatile int g_signalWrite = -1;

void onEndSignal(int) {
  const int saved = errno;
  const char byte = 1;
  if (g_signalWrite >= 0) {
    const ssize_t written = write(g_signalWrite, &byte, 1);
    static_cast<void>(written);  // a full pipe has the byte already
  }
  errno = saved;
}

int roundedTwipsPerPixel(int dpi) { return std::max(1, (1440 + dpi / 2) / std::max(dpi, 1)); }

// The session manager's "die" arrives as a Quit event to the application.
// Nothing else in the program asks Qt to quit (the last window closing
// does not quit it), so this is the end of the session.
class SessionFilter : public QObject {
 public:
  explicit SessionFilter(std::function<void()> onQuit) : onQuit_(std::move(onQuit)) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != QCoreApplication::instance() || event->type() != QEvent::Quit) return false;
    onQuit_();
    return true;
  }

 private:
  std::function<void()> onQuit_;
};

}  // namespace

QtToolkit::QtToolkit(int& argc, char** argv, const char* qtPlatform) {
  if (!QApplication::instance()) {
    // The X11 window system reaches the forms by their X windows: under a
    // Wayland session that program runs on XWayland. The sway desktop takes
    // native Wayland windows. Only for this process; the programs it starts
    // get the environment as it was.
    const bool choose = qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (choose) qputenv("QT_QPA_PLATFORM", qtPlatform);
    QCoreApplication::setApplicationName("Kivo");
    // The Wayland app_id: the desktop file's name, so the compositor shows
    // the program's icon and name.
    QGuiApplication::setDesktopFileName(QStringLiteral("kivo"));
    // Natively on Wayland the forms draw into shared memory; left to itself
    // Qt would also bring up EGL for OpenGL nobody asks for, which under
    // software rendering loads Mesa and LLVM: 50 MB more resident for a
    // program that mostly waits. An integration that does not exist is
    // named while Qt picks one (asking whether OpenGL works picks it), so
    // none loads; the plugin's words about that are left unsaid, and the
    // programs Kivo starts get the environment as it was.
    const bool noGl = std::strcmp(qtPlatform, "wayland") == 0 &&
                      qEnvironmentVariableIsEmpty("QT_WAYLAND_CLIENT_BUFFER_INTEGRATION");
    if (noGl) {
      qputenv("QT_WAYLAND_CLIENT_BUFFER_INTEGRATION", "none");
      QLoggingCategory::setFilterRules(QStringLiteral("qt.qpa.wayland.warning=false"));
    }
    ownApp_ = std::make_unique<QApplication>(argc, argv);
    if (choose) qunsetenv("QT_QPA_PLATFORM");
    if (noGl) {
      (void)QOpenGLContext::supportsThreadedOpenGL();
      qunsetenv("QT_WAYLAND_CLIENT_BUFFER_INTEGRATION");
    }
  }
  initKivoQtResources();
  // Hiding the main window (which the program does right at start) must not
  // end it; only quit() does.
  QGuiApplication::setQuitOnLastWindowClosed(false);
  QApplication::setWindowIcon(programIcon());
  sessionFilter_ = new SessionFilter([this] { guarded([this] { endSession(); }); });
  QCoreApplication::instance()->installEventFilter(sessionFilter_);
  // A session manager would start the program again in the next session,
  // where the autostart entry starts it already.
  QObject::connect(qApp, &QGuiApplication::commitDataRequest, sessionFilter_,
                   [](QSessionManager& m) { m.setRestartHint(QSessionManager::RestartNever); });
  QObject::connect(qApp, &QGuiApplication::saveStateRequest, sessionFilter_,
                   [](QSessionManager& m) { m.setRestartHint(QSessionManager::RestartNever); });
  installSignalHandlers();
}

void QtToolkit::useProgramFonts() {
  // Not at start: the font database and the faces it opens hold over a
  // megabyte that a run with its windows hidden never needs.
  if (fontsReady_) return;
  fontsReady_ = true;
  // Boxes and the file dialog keep the desktop's face for Latin text and
  // take Japanese from the program's Japanese face, never from a Chinese
  // variant of the same characters.
  QFont font = QApplication::font();
  const QString japanese = resolvedFace(FontSpec{});
  if (!font.families().contains(japanese)) {
    QStringList families = font.families();
    if (families.isEmpty()) families << font.family();
    families << japanese;
    font.setFamilies(families);
    QApplication::setFont(font);
  }
}

QtToolkit::~QtToolkit() {
  restoreSignalHandlers();
  for (auto& [timer, qtimer] : timers_) delete qtimer;
  timers_.clear();
  for (QSocketNotifier* n : notifiers_) delete n;
  notifiers_.clear();
  // Forms are detached by their owners; a view still here belongs to a form
  // that outlives the toolkit, which must not hear from it again.
  for (auto& [form, fe] : forms_) {
    fe->view->detach();
    delete fe->view;
  }
  forms_.clear();
  delete sessionFilter_;
  // Views detached earlier wait for their deferred deletion; the
  // application (when it is ours) goes last and takes them with it.
  if (!ownApp_) QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  // Natively on Wayland, Qt 6.4's display can hang for good as it is torn
  // down: its destructor waits for its event thread, which may wait in
  // wl_display_read_events for a read that never comes (seen about once in
  // six ends on SIGTERM under sway). Nothing is left to give back by then,
  // and the process is ending: the application is left to the system.
  if (ownApp_ && QGuiApplication::platformName() == QLatin1String("wayland")) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    (void)ownApp_.release();
  }
}

// ---- Loops -------------------------------------------------------------------

void QtToolkit::runLoop(QEventLoop& loop, LoopKind kind) {
  loops_.push_back(Loop{&loop, kind});
  struct Pop {
    std::vector<Loop>& loops;
    QEventLoop* loop;
    ~Pop() {
      const auto it =
          std::find_if(loops.begin(), loops.end(), [&](const Loop& l) { return l.loop == loop; });
      if (it != loops.end()) loops.erase(it);
    }
  } pop{loops_, &loop};
  loop.exec();
}

void QtToolkit::exitLoops() {
  // Innermost first; an outer loop returns once control is back in it.
  for (auto it = loops_.rbegin(); it != loops_.rend(); ++it) it->loop->exit(0);
}

void QtToolkit::wakeModal(const Form& form) {
  for (Modal& m : modal_) {
    if (m.form == &form) m.loop->exit(0);
  }
}

int QtToolkit::run() {
  QEventLoop loop;
  while (!quit_) {
    runLoop(loop, LoopKind::Main);
    rethrowKept();
  }
  return 0;
}

void QtToolkit::doEvents() {
  if (quit_) return;
  // One pass: what is pending, each due timer at most once; never waits.
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  rethrowKept();
}

void QtToolkit::runModal(Form& form, Hwnd owner) {
  FormEntry* fe = entry(form);
  if (quit_ || !fe) return;
  // Only a window of the program is disabled, and one disabled already
  // (behind an outer dialog) stays so afterwards.
  FormEntry* oe = entry(owner);
  QWidget* ownerView = oe && oe != fe && oe->view->isEnabled() ? oe->view : nullptr;
  if (ownerView) ownerView->setEnabled(false);
  QEventLoop loop;
  modal_.push_back(Modal{&form, ownerView, &loop});
  struct Leave {
    QtToolkit& tk;
    ~Leave() {
      const QPointer<QWidget> owner = tk.modal_.back().owner;
      tk.modal_.pop_back();
      if (!owner) return;
      owner->setEnabled(true);
      if (!tk.quit_ && owner->isVisible() && !owner->isMinimized()) {
        owner->raise();
        owner->activateWindow();
      }
    }
  } leave{*this};
  // A hidden dialog ends its modal run as well: a modal form nobody can see
  // would keep its owner locked for good.
  while (!quit_ && !form.closed() && form.visible()) {
    runLoop(loop, LoopKind::Modal);
    rethrowKept();
  }
}

void QtToolkit::quit() {
  if (quit_) return;
  quit_ = true;
  for (auto& [timer, qtimer] : timers_) qtimer->stop();
  for (QSocketNotifier* n : notifiers_) n->setEnabled(false);
  exitLoops();
}

void QtToolkit::guarded(const std::function<void()>& handler) {
  if (quit_) return;
  try {
    handler();
  } catch (...) {
    keep(std::current_exception());
  }
}

void QtToolkit::keep(std::exception_ptr e) {
  if (!kept_) kept_ = e;
  // The loop of the toolkit that dispatched the handler throws it once
  // control is back in it; a dialog's loop is not one of them (the box stays
  // until answered, as it would on any desktop).
  for (auto it = loops_.rbegin(); it != loops_.rend(); ++it) {
    if (it->kind == LoopKind::Dialog) continue;
    it->loop->exit(0);
    return;
  }
}

void QtToolkit::rethrowKept() {
  if (!kept_) return;
  std::exception_ptr e = kept_;
  kept_ = nullptr;
  std::rethrow_exception(e);
}

void QtToolkit::post(std::function<void()> handler) {
  if (quit_) return;
  QTimer::singleShot(0, QCoreApplication::instance(),
                     [this, h = std::move(handler)] { guarded(h); });
}

// ---- Timers ------------------------------------------------------------------

void QtToolkit::timerChanged(Timer& timer) {
  stopTimer(timer);
  if (quit_ || !timer.active() || !entry(timer.form())) return;
  QTimer*& qtimer = timers_[&timer];
  if (!qtimer) {
    qtimer = new QTimer();
    QObject::connect(qtimer, &QTimer::timeout, [this, t = &timer] { fireTimer(t); });
  }
  // start() counts the interval afresh.
  qtimer->start(timer.interval());
}

void QtToolkit::stopTimer(Timer& timer) {
  if (const auto it = timers_.find(&timer); it != timers_.end()) it->second->stop();
}

void QtToolkit::fireTimer(Timer* timer) {
  // A run still in progress (a box or DoEvents inside the handler) drops
  // this firing: the model's guard sees to it.
  guarded([timer] {
    if (timer->active()) timer->fire();
  });
}

// ---- Watched descriptors and the end of the session ----------------------------

void QtToolkit::watchFd(int fd, std::function<void()> onReadable) {
  auto* n = new QSocketNotifier(fd, QSocketNotifier::Read);
  QObject::connect(n, &QSocketNotifier::activated,
                   [this, f = std::move(onReadable)] { guarded(f); });
  n->setEnabled(!quit_);
  notifiers_.push_back(n);
}

void QtToolkit::unwatchFd(int fd) {
  std::erase_if(notifiers_, [fd](QSocketNotifier* n) {
    if (n->socket() != fd) return false;
    n->setEnabled(false);
    n->deleteLater();
    return true;
  });
}

void QtToolkit::callLater(int ms, std::function<void()> f) {
  QTimer::singleShot(ms, qApp, [this, f = std::move(f)] {
    if (!quit_) guarded(f);
  });
}

void QtToolkit::installSignalHandlers() {
  if (pipe2(signalPipe_, O_CLOEXEC | O_NONBLOCK) != 0) return;
  g_signalWrite = signalPipe_[1];
  signalNotifier_ = new QSocketNotifier(signalPipe_[0], QSocketNotifier::Read);
  QObject::connect(signalNotifier_, &QSocketNotifier::activated, [this] {
    char buffer[64];
    while (read(signalPipe_[0], buffer, sizeof buffer) > 0) {
    }
    if (quit_) {
      // Ended already (the title is back): the last box must not keep a
      // termination signal waiting for the user.
      signalledAfterQuit_ = true;
      if (lastBox_) lastBox_->done(0);
      return;
    }
    guarded([this] { endSession(); });
  });
  struct sigaction action {};
  action.sa_handler = &onEndSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < std::size(kEndSignals); ++i)
    sigaction(kEndSignals[i], &action, &g_previous[i]);
}

void QtToolkit::restoreSignalHandlers() {
  if (signalPipe_[0] < 0) return;
  for (std::size_t i = 0; i < std::size(kEndSignals); ++i)
    sigaction(kEndSignals[i], &g_previous[i], nullptr);
  g_signalWrite = -1;
  delete signalNotifier_;
  signalNotifier_ = nullptr;
  close(signalPipe_[0]);
  close(signalPipe_[1]);
  signalPipe_[0] = signalPipe_[1] = -1;
}

void QtToolkit::endSession() {
  if (sessionEnded_) return;
  sessionEnded_ = true;
  if (onEndSession) onEndSession();
  if (!quit_) quit();
}

// ---- The screen --------------------------------------------------------------

int QtToolkit::dpiX() const {
  const QScreen* s = QGuiApplication::primaryScreen();
  const int dpi = s ? qRound(s->logicalDotsPerInchX()) : 96;
  return dpi > 0 ? dpi : 96;
}

int QtToolkit::dpiY() const {
  const QScreen* s = QGuiApplication::primaryScreen();
  const int dpi = s ? qRound(s->logicalDotsPerInchY()) : 96;
  return dpi > 0 ? dpi : 96;
}

int QtToolkit::twipsPerPixelX() { return roundedTwipsPerPixel(dpiX()); }
int QtToolkit::twipsPerPixelY() { return roundedTwipsPerPixel(dpiY()); }

int QtToolkit::screenWidthTwips() {
  const QScreen* s = QGuiApplication::primaryScreen();
  return (s ? s->geometry().width() : 0) * twipsPerPixelX();
}

int QtToolkit::screenHeightTwips() {
  const QScreen* s = QGuiApplication::primaryScreen();
  return (s ? s->geometry().height() : 0) * twipsPerPixelY();
}

std::unique_ptr<TrayIcon> QtToolkit::createTrayIcon() { return std::make_unique<QtTrayIcon>([this] { useProgramFonts(); }); }

}  // namespace kivo::qt
