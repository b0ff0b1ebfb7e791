#pragma once
// The toolkit contract suite: the promises of a forms backend (the native
// views follow their models, pushes never come back as input, the user's
// input goes through the model, Enter, Esc and access keys, modal loops,
// quit, nothing clipped), written once against ToolkitRig, which reads a
// native form into the simulated desktop's view types and acts as a user.
// Each backend takes part through one rig file that defines makeToolkitRig().

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/sim_views.h"
#include "ui/forms.h"

namespace kivo::contract {

// A form as its native window shows it, in the model's terms: twips, the
// design's font face where the backend drew it with the face it resolves
// that face to, enabled and visible as the user sees them.
struct NativeForm {
  sim::FormView form;
  std::vector<std::pair<const Control*, sim::ControlView>> controls;
  // The controls in the order Tab visits them (those the backend puts in
  // its tab order), and the button Enter presses, drawn as such.
  std::vector<const Control*> tabOrder;
  const Control* defaultButton = nullptr;
  // What else the rig saw amiss that only its backend can see (a control
  // off its place in the layout), one line each.
  std::vector<std::string> problems;
};

// What a rig may be unable to check: the simulated desktop draws no text
// and has no keyboard.
enum class ToolkitPromise { NothingClipped, AccessKeysMoveTheFocus, KeysPressTheirControls };

class ToolkitRig {
 public:
  virtual ~ToolkitRig() = default;
  virtual Toolkit& toolkit() = 0;
  // What the native window of a loaded form shows; nothing without one.
  virtual std::optional<NativeForm> read(const Form& form) = 0;
  // Captions that do not fit their controls with the font drawn, and
  // controls that cross a sibling, one line each.
  virtual std::vector<std::string> clipped(const Form& form) = 0;

  // The user, on the native widgets. Each returns once the input was
  // delivered (taken or refused).
  virtual void click(Control& control) = 0;
  virtual void type(TextBox& box, const std::string& text) = 0;
  virtual void select(ListBox& list, int row) = 0;
  // A key in `at`'s window with the focus on `at`: '\r' Enter, 0x1b Esc,
  // or a letter pressed with Alt (an access key). Returns once the key has
  // been handled.
  virtual void press(Control& at, char key) = 0;
  virtual void close(Form& form) = 0;
  virtual void setState(Form& form, WindowState state) = 0;
  // Whether the user can reach the form's window (a modal dialog over it
  // locks it).
  virtual bool reachable(const Form& form) = 0;
  virtual void focus(Control& control) = 0;
  // The control of the form that has the keyboard focus, or nullptr.
  const Control* focused(const Form& form);
  virtual bool hasFocus(const Control&) { return false; }

  // Processes events until `condition` holds; false when `deadline` passed
  // first (simulated time on the simulated desktop).
  // Waits until the desktop has handled all the program asked of it so far
  // (a window manager its hiding of a window, before the window is shown
  // again, as a user's second start comes long after the start).
  virtual void settle() {}
  // The toolkit's main loop: returns once the program has quit.
  virtual int run() = 0;
  virtual bool pumpUntil(const std::function<bool()>& condition,
                         std::chrono::milliseconds deadline = std::chrono::milliseconds(30000)) = 0;
  virtual std::optional<std::string> cannot(ToolkitPromise) { return std::nullopt; }
};

std::unique_ptr<ToolkitRig> makeToolkitRig();

// Every part in which the native form differs from its model, one line each
// ("frmSet chkEtc(3) enabled: view 1, model 0"); empty when in step.
std::vector<std::string> viewDifferences(ToolkitRig& rig, const Form& form);
std::vector<std::string> viewDifferences(const Form& form, const std::optional<NativeForm>& native);

// `px` pixels in twips at `dpi`, as the model's `twips` when they are the
// pixels `twipsPx` those twips make: a native view read in the model's units.
int inTwips(int px, int twips, int twipsPx, int dpi);

// One control of every kind, with handlers that count.
class KindsForm : public Form {
 public:
  explicit KindsForm(Toolkit& tk);
  Frame* frame;
  CheckBox* check;
  std::array<OptionButton*, 2> opt{};
  TextBox* box;
  ListBox* list;
  CommandButton *ok, *cancel;
  int checkClicks = 0, optionClicks = 0, okClicks = 0, cancelClicks = 0;
};

// Two timers with handlers that count.
class TimersForm : public Form {
 public:
  explicit TimersForm(Toolkit& tk, std::string name = "frmTimers");
  static void start(Timer& t, int ms);
  Timer *a, *b;
  int aFires = 0, bFires = 0;
  std::function<void()> onA, onB;
};

}  // namespace kivo::contract
