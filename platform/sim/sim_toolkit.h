#pragma once
// Simulated toolkit: message boxes with scripted answers, pending-message
// processing, screen metrics, form views and timers on simulated time.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_events.h"
#include "platform/sim/sim_windows.h"

namespace kivo::sim {

// Every window of the program's forms has this class.
inline constexpr const char* kFormWindowClass = "ThunderRT5Form";

struct RecordedBox {
  std::string text, title;
  int style = 0;
  int answer = 0;
};

class SimToolkit : public Toolkit {
 public:
  // Without a window system forms get handles but no windows.
  SimToolkit(EventLog& log, SimClock& clock) : log_(log), clock_(clock) {}
  // With one, every loaded form has a top-level window of class
  // "ThunderRT5Form"; the toolkit installs the window system's hooks so a
  // form learns what the window functions do to its window.
  SimToolkit(EventLog& log, SimClock& clock, SimWindowSystem& windows);
  ~SimToolkit() override;
  SimToolkit(const SimToolkit&) = delete;
  SimToolkit& operator=(const SimToolkit&) = delete;

  int messageBox(Hwnd owner, const std::string& text, const std::string& title,
                 int style) override;
  // Fires the timers due at the current time.
  void doEvents() override;
  int screenWidthTwips() override { return screenWidthPx_ * twipsX_; }
  int screenHeightTwips() override { return screenHeightPx_ * twipsY_; }
  int twipsPerPixelX() override { return twipsX_; }
  int twipsPerPixelY() override { return twipsY_; }
  void attachForm(Form& form) override;
  void detachForm(Form& form) override;
  void formChanged(Form& form, std::uint32_t what) override;
  void controlChanged(Control& control, std::uint32_t what) override;
  // Pumps modalPump until the form has closed; when the pump has no more
  // input the dialog is closed as the system would close it.
  void runModal(Form& form, Hwnd owner) override;
  void timerChanged(Timer& timer) override;
  void quit() override { quitRequested_ = true; }

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
  // The loaded form whose window this is, or nullptr.
  Form* formOf(Hwnd h) const;
  // The most recently loaded form of that name still loaded, or nullptr.
  Form* findForm(const std::string& name) const;

 private:
  struct Answer {
    int value;
    std::int64_t holdMs;
  };
  // What was last pushed into a form's window, so only the model's own
  // changes are pushed: the engine also writes a clock into the main
  // window's title, and a form's caption must not undo that.
  struct View {
    Form* form;
    std::string caption;
    int left, top;
    bool visible;
    std::uint64_t order;
  };
  struct Scheduled {
    Timer* timer;
    std::int64_t due;
    std::uint64_t order;
  };
  View* viewOf(Hwnd h);
  void pushRect(Hwnd h, const Form& form);
  void windowShown(Hwnd h, int cmd);
  void windowMoved(Hwnd h, int x, int y);
  void windowClosed(Hwnd h);

  EventLog& log_;
  SimClock& clock_;
  SimWindowSystem* windows_ = nullptr;
  std::deque<Answer> answers_;
  std::deque<RecordedBox> boxes_;
  int screenWidthPx_ = 1024, screenHeightPx_ = 768, twipsX_ = 15, twipsY_ = 15;
  bool quitRequested_ = false;
  std::map<Hwnd, View> views_;
  std::vector<Scheduled> timers_;
  std::vector<Form*> modal_;
  std::uint64_t nextOrder_ = 0;
  Hwnd nextBareHandle_ = 0x20000;
};

}  // namespace kivo::sim
