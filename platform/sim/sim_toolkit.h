#pragma once
// Simulated toolkit: message boxes with scripted answers, pending-message
// processing, screen metrics, form and control views, timers on simulated
// time, and the user's input on the views.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_events.h"
#include "platform/sim/sim_tray.h"
#include "platform/sim/sim_views.h"
#include "platform/sim/sim_windows.h"

namespace kivo::sim {

struct RecordedBox {
  Hwnd owner = 0;
  std::string text, title;
  int style = 0;
  int answer = 0;
};

class SimToolkit : public Toolkit {
 public:
  // Without a window system forms get handles but no windows.
  SimToolkit(EventLog& log, SimClock& clock) : log_(log), clock_(clock) {}
  // With one, every loaded form has a top-level window of class
  // kFormWindowClass; the toolkit installs the window system's hooks so a
  // form learns what the window functions do to its window.
  SimToolkit(EventLog& log, SimClock& clock, SimWindowSystem& windows);
  ~SimToolkit() override;
  SimToolkit(const SimToolkit&) = delete;
  SimToolkit& operator=(const SimToolkit&) = delete;

  // A box owned by a form of an ended program, or any box after quit(), is
  // not shown: it returns 0 at once.
  int messageBox(Hwnd owner, const std::string& text, const std::string& title, int style) override;
  // Fires the timers due at the current time.
  void doEvents() override;
  int screenWidthTwips() override { return screenWidthPx_ * twipsX_; }
  int screenHeightTwips() override { return screenHeightPx_ * twipsY_; }
  int twipsPerPixelX() override { return twipsX_; }
  int twipsPerPixelY() override { return twipsY_; }
  void attachForm(Form& form) override;
  void detachForm(Form& form) override;
  // Each report updates the parts of the view it names, from the model, and
  // nothing else; the form's window follows its view.
  void formChanged(Form& form, std::uint32_t what) override;
  void controlChanged(Control& control, std::uint32_t what) override;
  // Pumps modalPump until the form has closed; when the pump has no more
  // input the dialog is closed as the system would close it.
  void runModal(Form& form, Hwnd owner) override;
  void timerChanged(Timer& timer) override;
  // Ends every form's program: see endProgram.
  void quit() override;
  // An icon of the simulated notification area (tray()).
  std::unique_ptr<TrayIcon> createTrayIcon() override {
    return std::make_unique<SimTrayIcon>(tray_);
  }

  // Test-side control.
  // Queues the answer of the next message box; holdMs is how long the box
  // stays open. The timers keep running meanwhile, as in a modal loop.
  void queueAnswer(int answer, std::int64_t holdMs = 0) { answers_.push_back({answer, holdMs}); }
  const std::deque<RecordedBox>& boxes() const { return boxes_; }
  void clearBoxes() { boxes_.clear(); }
  void setScreen(int widthPx, int heightPx, int twipsX = 15, int twipsY = 15) {
    screenWidthPx_ = widthPx, screenHeightPx_ = heightPx, twipsX_ = twipsX, twipsY_ = twipsY;
  }
  bool quitRequested() const { return quitRequested_; }
  // The program owning this form has ended (quit() ends them all): its
  // timers never fire again, its modal loop is left without closing the
  // form, its boxes are not shown and its views take no input, and the
  // window functions no longer reach it. The form keeps its view until it
  // is detached.
  void endProgram(const Form& form);

  // Advances the clock by ms, firing every running timer as it falls due, in
  // time order (ties in the order the timers were started), with the clock
  // set to the due time. Stops firing once quit() was called.
  void runFor(std::int64_t ms);
  // Clock time at which the timer fires next, or -1 when it is not running.
  std::int64_t nextDue(const Timer& timer) const;

  // One step of the user's work while a modal dialog is open (the next
  // script command, a test's click); false when there is no more input.
  std::function<bool()> modalPump;
  // The modal forms open now, innermost last.
  const std::vector<Form*>& modalForms() const { return modal_; }
  // The window a modal form was shown over, or 0 (also when it is not modal).
  Hwnd modalOwner(const Form& form) const;
  // The loaded form whose window this is, or nullptr.
  Form* formOf(Hwnd h) const;

  // The views, for tests: nullptr when the form has none.
  const FormView* view(const Form& form) const;
  const ControlView* view(const Control& control) const;
  // Every view compared with its model, one line per difference
  // ("frmSet chkEtc(3) enabled: view 0, model 1"); empty when the reports
  // have kept every view in step.
  std::vector<std::string> staleViews() const;
  // Every report received, in order, and those that changed nothing in the
  // view they named (a report of no change, or of the wrong part).
  const std::vector<Report>& reports() const { return reports_; }
  const std::vector<Report>& idleReports() const { return idle_; }
  void clearReports() { reports_.clear(), idle_.clear(); }

  // The user at work on the views. Each goes to the model's user entry point
  // as a native widget's notification would, and returns whether the input
  // was taken: never on a form behind a modal dialog or of an ended
  // program, nor on a control whose view, or the view of a frame around it,
  // is disabled or hidden.
  bool userClick(Control& control);
  bool userType(TextBox& box, const std::string& text);
  bool userSelect(ListBox& list, int row);
  // The close box.
  bool userClose(Form& form);
  // The caption bar's minimize and restore buttons.
  bool userSetState(Form& form, WindowState state);
  SimTrayArea& tray() { return tray_; }

 private:
  struct Answer {
    int value;
    std::int64_t holdMs;
  };
  struct View {
    Form* form;
    FormView shown;
    std::map<const Control*, ControlView> controls;
    bool ended = false;
  };
  struct Scheduled {
    Timer* timer;
    std::int64_t due;
    std::uint64_t order;
  };
  View* viewOf(Hwnd h);
  const View* viewOf(Hwnd h) const;
  // The view of a live program's form that the user can reach now.
  View* reachable(const Form& form);
  bool reachable(const Control& control);
  bool ended(const Form& form) const;
  void pushRect(Hwnd h, const FormView& view);
  void windowShown(Hwnd h, int cmd);
  void windowMoved(Hwnd h, int x, int y);
  void windowClosed(Hwnd h);

  EventLog& log_;
  SimClock& clock_;
  SimTrayArea tray_;
  SimWindowSystem* windows_ = nullptr;
  std::deque<Answer> answers_;
  std::deque<RecordedBox> boxes_;
  int screenWidthPx_ = 1024, screenHeightPx_ = 768, twipsX_ = 15, twipsY_ = 15;
  bool quitRequested_ = false;
  std::map<Hwnd, View> views_;
  std::vector<Report> reports_, idle_;
  std::vector<Scheduled> timers_;
  std::vector<Form*> modal_;
  std::vector<Hwnd> owners_;  // the owner of each modal form, in step with modal_
  std::uint64_t nextOrder_ = 0;
  Hwnd nextBareHandle_ = 0x20000;
};

}  // namespace kivo::sim
