#pragma once
// Implements: the toolkit of platform/platform.h on the Linux desktop.
// Cannot: nothing the seam's contract asks (its timer and message-box cases
//   run with the X11 window system in tests/contract/x11_backend.cpp).
//   Natively on Wayland (the sway desktop) the compositor places and frames
//   the windows and tells no client where they are: a form keeps the place
//   its model gives it, and on sway, which has no minimized windows, a
//   minimize request leaves the window as it is (the toolkit suite runs
//   there without the case that minimizes).
//
// The Qt toolkit of the Linux desktop: the forms as Qt Widgets top-level
// windows (WM_CLASS "kivo", kFormWindowClass) with standard child widgets,
// timers, message boxes, the event loops (main, modal, DoEvents), the
// screen's metrics, and the program's own windows for the X11 window system.
//
// One toolkit at a time per process, on the thread that runs the program's
// windows. It makes the QApplication unless one exists already (tests make
// one for the whole run). The implementation is split by concern:
// qt_toolkit.cpp (loops, timers, quit, screen, end of session),
// qt_boxes.cpp (message boxes and dialogs), qt_forms.cpp (form windows),
// qt_native_windows.cpp (X properties and LocalWindows), qt_controls.cpp (child widgets, pushes and
// the user's input), qt_layout.cpp (twips to pixels, and the growing of boxes too small for their
// text) and qt_fonts.cpp (fonts and their fallbacks).

#include <QMetaObject>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/x11/local_windows.h"
#include "ui/forms.h"

class QApplication;
class QButtonGroup;
class QDialog;
class QEventLoop;
class QFont;
class QObject;
class QSocketNotifier;
class QTimer;
class QWidget;

namespace kivo::qt {

class FormView;

class QtToolkit : public Toolkit, public x11::LocalWindows {
 public:
  // Makes the QApplication from the program's arguments (argc must outlive
  // the toolkit), or takes the one that exists. `qtPlatform` is Qt's
  // platform plugin unless QT_QPA_PLATFORM names one: "xcb" for the X11
  // window system (XWayland under a Wayland session), "wayland" for native
  // Wayland windows (the sway desktop). Natively on Wayland the compositor
  // places and frames the windows, and a form's handle is only the
  // toolkit's name for it.
  QtToolkit(int& argc, char** argv, const char* qtPlatform = "xcb");
  ~QtToolkit() override;
  QtToolkit(const QtToolkit&) = delete;
  QtToolkit& operator=(const QtToolkit&) = delete;

  // QMessageBox with the style's buttons, icon and default button; the
  // timers go on firing while it waits. After quit() no box is shown: 0 at
  // once, and a box still open is left with 0.
  int messageBox(Hwnd owner, const std::string& text, const std::string& title, int style) override;
  // Processes what is pending, once; never waits.
  void doEvents() override;
  int screenWidthTwips() override;
  int screenHeightTwips() override;
  // 1440 / the primary screen's logical dots per inch, rounded.
  int twipsPerPixelX() override;
  int twipsPerPixelY() override;
  void attachForm(Form& form) override;
  void detachForm(Form& form) override;
  void formChanged(Form& form, std::uint32_t what) override;
  void controlChanged(Control& control, std::uint32_t what) override;
  // Disables the owner (one of the program's forms, or 0) while a nested
  // loop runs until the form has closed or been hidden, or quit() was
  // called; then enables the owner again and brings it to the front when
  // it is shown.
  void runModal(Form& form, Hwnd owner) override;
  void timerChanged(Timer& timer) override;
  void quit() override;
  // Qt's system tray (qt_tray.h).
  std::unique_ptr<TrayIcon> createTrayIcon() override;

  // x11::LocalWindows: the forms' own top-level windows.
  bool ownsWindow(Hwnd h) override;
  std::vector<Hwnd> ownWindows() override;
  void showOwnWindow(Hwnd h, int cmd) override;
  void raiseOwnWindow(Hwnd h) override;
  // The title the window shows (the running instance tells it a second
  // start where no X server holds it).
  std::string ownWindowTitle(Hwnd h) override;

  // The program's main loop: returns 0 once quit() has been called (at
  // once when it already was).
  int run();
  bool quitRequested() const { return quit_; }
  // Calls onReadable from the event loop whenever fd has data (the X11
  // connection's events, say); never after quit().
  void watchFd(int fd, std::function<void()> onReadable);
  // Stops watching fd (about to be closed); safe from its own onReadable.
  void unwatchFd(int fd);
  // Calls f once from the event loop after `ms` milliseconds; never after
  // quit().
  void callLater(int ms, std::function<void()> f);
  // After every attachForm and detachForm (the set of own windows changed).
  std::function<void()> onFormsChanged;
  // Called once when the session ends or a termination signal (SIGTERM,
  // SIGINT, SIGHUP) arrives: the program restores what it changed and
  // quits from here. Without it, or when it does not quit, the toolkit quits.
  std::function<void()> onEndSession;

  // Runs `handler` from the event loop soon, as a timer's handler runs (an
  // exception it throws ends the loop that ran it); never after quit().
  void post(std::function<void()> handler);
  // After quit(): the program's last box (the fatal error), a critical box
  // above every window. Returns when the user answers it, or at once when a
  // termination signal arrives (or has arrived since quit()).
  void showLastBox(const std::string& text, const std::string& title);

  // Runs a dialog (the open-file dialog) modally in a loop of the toolkit:
  // timers go on, quit() leaves it. Returns the dialog's result, 0 when it
  // was left by quit() or destroyed.
  int runDialog(QDialog& dialog);
  // The view of one of the program's windows, to parent a dialog on;
  // nullptr when h is none of them, or hidden or minimized.
  QWidget* ownerWidget(Hwnd h) const;

  // A form's handle: its X window's id on X11; natively on Wayland, where
  // a client's windows have no id anybody else knows, Qt's number for the
  // window with kWaylandHandleBase added.
  static Hwnd handleOf(QWidget& view);
  static constexpr Hwnd kWaylandHandleBase = 0x40000000;

  // The widgets, for tests and diagnostics; nullptr when there is none. A
  // control's widget is made on the spot for a form never shown yet.
  QWidget* widgetOf(const Form& form) const;
  QWidget* widgetOf(const Control& control) const;
  // The face a FontSpec is drawn with here: the font's own face when
  // installed with the font's writing system, else the first of
  // kFontFallbacks that is, else any face that has it.
  QString resolvedFace(const FontSpec& font);
  // Sets the application's font (the desktop's face with the program's
  // Japanese face behind it), once, before the first widget with text.
  void useProgramFonts();
  QFont qfont(const FontSpec& font);
  // The dots per inch the layout is made for (the primary screen's).
  int dpiX() const;
  int dpiY() const;

 private:
  friend class FormView;

  struct ControlWidget {
    Control* control;
    QWidget* widget;
  };
  struct FormEntry {
    Form* form;
    FormView* view;
    std::vector<ControlWidget> controls;
    // The child widgets exist (see buildWhenShown); until then pushes to
    // controls wait in the model.
    bool built = false;
    // One exclusive group per container of option buttons.
    std::map<const Control*, QButtonGroup*> groups;
    // The widgets' notifications to the toolkit, cut when the form goes.
    std::vector<QMetaObject::Connection> connections;
    // Where the toolkit last placed the window's frame, until the window
    // manager reports it there: the moves it reports meanwhile are older.
    std::optional<QPoint> placing;
    int stalePlaces = 0;
    // Placed before any frame was known: its frame, when it comes, tells
    // where the client area belongs.
    bool placedBlind = false;
  };
  enum class LoopKind { Main, Modal, Dialog };
  struct Loop {
    QEventLoop* loop;
    LoopKind kind;
  };
  struct Modal {
    Form* form;
    QPointer<QWidget> owner;  // disabled by this dialog, or null
    QEventLoop* loop;
  };

  // qt_toolkit.cpp
  // Runs a nested loop until it is exited (quit(), the caller's own exit,
  // or a handler's exception: see keep).
  void runLoop(QEventLoop& loop, LoopKind kind);
  void exitLoops();
  // The form's modal loop looks again whether the form is still up.
  void wakeModal(const Form& form);
  void fireTimer(Timer* timer);
  void stopTimer(Timer& timer);
  void endSession();
  void installSignalHandlers();
  void restoreSignalHandlers();
  // Runs a handler called from Qt (a slot, an event): an exception cannot
  // cross Qt's frames, so it is kept and thrown again by the toolkit's loop
  // that dispatched it (run, runModal, doEvents). Nothing runs after quit().
  void guarded(const std::function<void()>& handler);
  void keep(std::exception_ptr e);
  void rethrowKept();

  // qt_native_windows.cpp
  void setWindowClass(QWidget& view);
  void forgetIconicState(QWidget& view);
  // Where the window manager's frame leaves the client area (left and top of
  // its _NET_FRAME_EXTENTS), or nothing while the window is not framed, the
  // frame is empty or the window manager does not say.
  std::optional<QPoint> frameExtents(QWidget& view);
  // Whether a window manager manages the window (it has a WM_STATE).
  bool managed(QWidget& view);
  // Puts a top-level window's client area at `at` on the screen.
  void moveClientArea(QWidget& view, QPoint at);
  // Where the window's client area is on the screen, as the X server has it.
  QPoint clientPosition(QWidget& view);
  // Asks the window manager to state the frame a window not yet shown will get.
  void requestFrameExtents(QWidget& view);
  // Whether a native event tells that the window manager changed a frame.
  static bool isFrameChange(const QByteArray& type, const void* message);

  // qt_forms.cpp
  // Makes the form's child widgets once its window is up and not minimized.
  void buildWhenShown(FormView& view);
  void buildControls(FormEntry& fe);
  void pushFormVisible(FormEntry& fe);
  void pushFormState(FormEntry& fe);
  void pushFormPosition(FormEntry& fe);
  void placeFrame(FormEntry& fe, QPoint at);
  // The client area's offset in the frame: the window manager's word, else
  // what Qt knows of the frame, else nothing (not framed yet).
  std::optional<QPoint> frameOffset(FormView& view);
  // The model follows what the window manager or the user did to the window
  // (from the view's events; syncNow also from LocalWindows' requests).
  void syncFromView(FormView& view);
  void syncNow(FormView& view);
  void viewClosed(FormView& view);
  void keyPressed(FormView& view, int key, Qt::KeyboardModifiers modifiers, bool& handled);
  bool behindModal(const Form& form) const;
  FormEntry* entry(const Form& form);
  const FormEntry* entry(const Form& form) const;
  FormEntry* entry(Hwnd h);
  const FormEntry* entry(Hwnd h) const;

  // qt_controls.cpp
  void createControls(FormEntry& fe);
  // The widget showing `c`, or nullptr for a control without one (a timer).
  QWidget* newControlWidget(FormEntry& fe, const Control& c, QWidget* parent);
  void setLabelBuddies(FormEntry& fe);
  void connectInput(FormEntry& fe, ControlWidget& cw);
  void pushControl(FormEntry& fe, ControlWidget& cw, std::uint32_t what);
  void pushValue(FormEntry& fe, ControlWidget& cw);
  void pushEffectiveState(ControlWidget& cw);
  // After user input: the widget shows what the model holds, whatever the
  // model made of the input.
  void resync(const Form* form, Control* control);
  ControlWidget* controlWidget(FormEntry& fe, const Control& control);
  void setTabOrder(FormEntry& fe);

  // qt_layout.cpp
  // Places every widget from the model's twips, grows each box that is too
  // small for its text, and sizes the form around them.
  void layoutForm(FormEntry& fe);
  bool faceInstalled(const QString& face, int charset);

  std::unique_ptr<QApplication> ownApp_;
  QObject* sessionFilter_ = nullptr;
  std::map<const Form*, std::unique_ptr<FormEntry>> forms_;
  std::vector<Loop> loops_;
  std::vector<Modal> modal_;
  std::map<Timer*, QTimer*> timers_;
  std::vector<QSocketNotifier*> notifiers_;
  QSocketNotifier* signalNotifier_ = nullptr;
  int signalPipe_[2] = {-1, -1};
  int pushing_ = 0;
  // Non-zero while the model follows the window to where it is: its
  // position report must not move the window again.
  int following_ = 0;
  // Where a form's client area sits inside its frame (title bar, border),
  // as the window manager last framed one; new windows are placed with it
  // before they are framed themselves.
  std::optional<QPoint> frameOffset_;
  bool quit_ = false;
  bool fontsReady_ = false;
  bool sessionEnded_ = false;
  // A termination signal after quit(), and the last box it must end.
  bool signalledAfterQuit_ = false;
  QDialog* lastBox_ = nullptr;
  std::exception_ptr kept_;
  std::map<std::pair<QString, int>, bool> installed_;
};

}  // namespace kivo::qt
