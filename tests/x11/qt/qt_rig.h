#pragma once
// The program over the Qt toolkit with the simulated window system, store
// and clock: real X windows (or native Wayland windows) for its forms on
// the test's display, nothing else of the desktop touched. And what the windows show, compared with
// the models; the user at the message boxes; the pump.

#include <QMargins>
#include <QMessageBox>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/program.h"
#include "platform/qt/qt_toolkit.h"
#include "platform/sim/sim_desktop.h"
#include "tests/contract/toolkit_contract.h"

namespace kivo::qt::test {

// The test program's arguments: its one QApplication is made in main, and
// every toolkit of the tests takes it.
int& testArgc();
char** testArgv();

struct Rig : sim::SimServices {
  QtToolkit toolkit{testArgc(), testArgv()};
  Platform platform = platformWith(toolkit);
  Kivo app{platform};
};

// What a form's widgets show, in the model's terms (toolkit_contract.h).
std::optional<contract::NativeForm> readForm(QtToolkit& toolkit, const Form& form);
inline std::vector<std::string> viewDifferences(QtToolkit& toolkit, const Form& form) {
  return contract::viewDifferences(form, readForm(toolkit, form));
}

// Where a shown window is framed, against the model's left and top (the
// window manager frames and places a window a little after it is shown).
std::vector<std::string> placeDifferences(QtToolkit& toolkit, const Form& form);

// Captions (and text lines) that do not fit their widgets with the font they
// are drawn with, one line each; and sibling widgets whose boxes cross.
std::vector<std::string> clippedCaptions(QtToolkit& toolkit, const Form& form);
std::vector<std::string> overlappingWidgets(QtToolkit& toolkit, const Form& form);

// What only an X server can tell: natively on Wayland (Qt's platform is
// not xcb) these answer nothing ("", 0, null margins) and change nothing.
// WM_CLASS of an X window as "instance/class", read from the X server.
std::string windowClass(Hwnd h);
// The X title (_NET_WM_NAME, UTF-8) of a window.
std::string windowTitle(Hwnd h);
void setWindowTitle(Hwnd h, const std::string& title);
// Waits until the X server has done everything the program asked so far.
void syncX();
// The window manager's frame around a window (_NET_FRAME_EXTENTS); null
// until it is framed.
QMargins frameExtents(Hwnd h);
// WM_STATE of a window as the window manager set it: 1 normal, 3 iconic,
// 0 withdrawn or none.
int wmState(Hwnd h);

// Processes events until `condition` holds; false when the deadline passed
// first. Waits for events, never for a time. The deadline is generous: on a
// loaded two-core machine (a Wine suite beside it) a window manager took
// more than 10 s to frame a window once in twenty runs.
bool pumpUntil(QtToolkit& toolkit, const std::function<bool()>& condition,
               std::chrono::milliseconds deadline = std::chrono::milliseconds(30000));

// Waits until the window manager has handled everything the program asked
// of the X server so far: a frame-extents request for a probe window, which
// the window manager answers in turn. A window shown again before the window
// manager has handled its hiding races the window manager (openbox then
// lets go of it); a user's second start comes long after the hidden start.
bool windowManagerCaughtUp(QtToolkit& toolkit);

// A message box as the user found it.
struct SeenBox {
  std::string title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  std::vector<QMessageBox::StandardButton> buttons;
  QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
  Qt::WindowModality modality = Qt::NonModal;
  bool staysOnTop = false;
  bool hasParent = false;
};

// The user at the next message box: notes it, then presses `answer` once
// `until` holds (checked every few milliseconds while the box waits).
class BoxUser {
 public:
  explicit BoxUser(QMessageBox::StandardButton answer, std::function<bool()> until = {});
  const std::optional<SeenBox>& seen() const { return seen_; }
  bool answered() const { return answered_; }

 private:
  void look();
  QMessageBox::StandardButton answer_;
  std::function<bool()> until_;
  std::optional<SeenBox> seen_;
  bool answered_ = false;
  QTimer timer_;
};

}  // namespace kivo::qt::test
