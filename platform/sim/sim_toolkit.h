#pragma once
// Simulated toolkit: message boxes with scripted answers, pending-message
// processing, screen metrics, form views and timers on simulated time.

#include <cstdint>
#include <deque>
#include <string>

#include "platform/platform.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_events.h"

namespace kivo::sim {

struct RecordedBox {
  std::string text, title;
  int style = 0;
  int answer = 0;
};

class SimToolkit : public Toolkit {
 public:
  SimToolkit(EventLog& log, SimClock& clock) : log_(log), clock_(clock) {}

  int messageBox(const std::string& text, const std::string& title, int style) override;
  void doEvents() override;
  int screenWidthTwips() override { return screenWidthPx_ * twipsX_; }
  int screenHeightTwips() override { return screenHeightPx_ * twipsY_; }
  int twipsPerPixelX() override { return twipsX_; }
  int twipsPerPixelY() override { return twipsY_; }
  void attachForm(Form& form) override;
  void detachForm(Form& form) override;
  void formChanged(Form& form) override;
  void runModal(Form& form) override;
  void timerChanged(Timer& timer) override;
  void quit() override { quitRequested_ = true; }

  // Test-side control.
  // Queues the answer of the next message box; holdMs is how long the box
  // stays open (simulated time passes meanwhile).
  void queueAnswer(int answer, std::int64_t holdMs = 0) { answers_.push_back({answer, holdMs}); }
  const std::deque<RecordedBox>& boxes() const { return boxes_; }
  void clearBoxes() { boxes_.clear(); }
  void setScreen(int widthPx, int heightPx, int twipsX = 15, int twipsY = 15) {
    screenWidthPx_ = widthPx, screenHeightPx_ = heightPx, twipsX_ = twipsX, twipsY_ = twipsY;
  }
  bool quitRequested() const { return quitRequested_; }

 private:
  struct Answer {
    int value;
    std::int64_t holdMs;
  };
  EventLog& log_;
  SimClock& clock_;
  std::deque<Answer> answers_;
  std::deque<RecordedBox> boxes_;
  int screenWidthPx_ = 1024, screenHeightPx_ = 768, twipsX_ = 15, twipsY_ = 15;
  bool quitRequested_ = false;
};

}  // namespace kivo::sim
