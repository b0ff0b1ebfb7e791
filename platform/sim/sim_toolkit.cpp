// Simulated toolkit: message-box recorder with scripted answers.
#include "platform/sim/sim_toolkit.h"

namespace kivo::sim {

int SimToolkit::messageBox(const std::string& text, const std::string& title, int style) {
  log_.add("msgbox " + std::to_string(style) + " " + quote(title) + " " + quote(text));
  Answer a{kIdOk, 0};
  if (!answers_.empty()) {
    a = answers_.front();
    answers_.pop_front();
  }
  boxes_.push_back(RecordedBox{text, title, style, a.value});
  if (a.holdMs > 0) clock_.advanceMs(a.holdMs);
  return a.value;
}

void SimToolkit::doEvents() {}
void SimToolkit::attachForm(Form&) {}
void SimToolkit::detachForm(Form&) {}
void SimToolkit::formChanged(Form&) {}
void SimToolkit::runModal(Form&) {}
void SimToolkit::timerChanged(Timer&) {}

}  // namespace kivo::sim
