// Simulated toolkit: message-box recorder with scripted answers, timers on
// the simulated clock, the modal loop and the end of the program.
#include "platform/sim/sim_toolkit.h"

#include <algorithm>

#include "ui/forms.h"

namespace kivo::sim {

SimToolkit::SimToolkit(EventLog& log, SimClock& clock, SimWindowSystem& windows)
    : log_(log), clock_(clock), windows_(&windows) {
  windows.onShow = [this](Hwnd h, int cmd) { windowShown(h, cmd); };
  windows.onMove = [this](Hwnd h, int x, int y) { windowMoved(h, x, y); };
  windows.onClose = [this](Hwnd h) { windowClosed(h); };
}

SimToolkit::~SimToolkit() {
  if (windows_) {
    windows_->onShow = nullptr;
    windows_->onMove = nullptr;
    windows_->onClose = nullptr;
  }
}

// ---- Message boxes and pending messages ------------------------------------

int SimToolkit::messageBox(Hwnd owner, const std::string& text, const std::string& title,
                           int style) {
  // An ended program shows nothing more: the box is left at once, as a box
  // whose message loop meets the end of the program.
  if (quitRequested_) return 0;
  if (const View* v = viewOf(owner); v && v->ended) return 0;
  log_.add("msgbox " + std::to_string(style) + " " + quote(title) + " " + quote(text));
  Answer a{kIdOk, 0};
  if (!answers_.empty()) {
    a = answers_.front();
    answers_.pop_front();
  }
  boxes_.push_back(RecordedBox{owner, text, title, style, a.value});
  // A box is a modal loop: timers go on firing while it waits for the user
  // (all but the one whose handler opened it, which its guard holds back).
  if (a.holdMs > 0) runFor(a.holdMs);
  return a.value;
}

void SimToolkit::doEvents() { runFor(0); }

// ---- Timers -----------------------------------------------------------------

void SimToolkit::timerChanged(Timer& timer) {
  // Any change restarts the count, as SetTimer does.
  std::erase_if(timers_, [&](const Scheduled& s) { return s.timer == &timer; });
  if (timer.active() && !ended(timer.form())) {
    timers_.push_back({&timer, clock_.nowMs() + timer.interval(), nextOrder_++});
  }
}

void SimToolkit::runFor(std::int64_t ms) {
  const std::int64_t end = clock_.nowMs() + std::max<std::int64_t>(ms, 0);
  while (!quitRequested_) {
    Scheduled* next = nullptr;
    for (Scheduled& s : timers_) {
      if (s.due > end) continue;
      if (!next || s.due < next->due || (s.due == next->due && s.order < next->order)) next = &s;
    }
    if (!next) break;
    if (next->due > clock_.nowMs()) clock_.advanceMs(next->due - clock_.nowMs());
    // Reschedule before firing: the handler may open a box or call
    // DoEvents, and the loop inside must see this firing as done. A timer
    // that comes late (the clock moved on while a handler ran) fires once,
    // and its next firing is the first one after now: timer messages do not
    // pile up.
    const std::int64_t now = clock_.nowMs();
    const std::int64_t interval = std::max(next->timer->interval(), 1);
    std::int64_t due = next->due + interval;
    if (due <= now) due += ((now - due) / interval + 1) * interval;
    next->due = due;
    // `next` may dangle once the handler has run; a blocked firing (the
    // previous run still in progress) is simply lost.
    next->timer->fire();
  }
  if (clock_.nowMs() < end) clock_.advanceMs(end - clock_.nowMs());
}

std::int64_t SimToolkit::nextDue(const Timer& timer) const {
  for (const Scheduled& s : timers_) {
    if (s.timer == &timer) return s.due;
  }
  return -1;
}

// ---- Modal loop and the end of the program ------------------------------------

void SimToolkit::runModal(Form& form, Hwnd owner) {
  if (ended(form)) return;
  modal_.push_back(&form);
  owners_.push_back(owner);
  struct Pop {
    SimToolkit& tk;
    ~Pop() {
      tk.modal_.pop_back();
      tk.owners_.pop_back();
    }
  } pop{*this};
  // Once the program has ended the loop is left without closing the
  // dialog: no handler of it may run, and its owner discards it quietly.
  while (!form.closed() && !ended(form)) {
    if (!modalPump || !modalPump()) {
      if (!form.closed() && !ended(form)) form.unload();
      break;
    }
  }
}

Hwnd SimToolkit::modalOwner(const Form& form) const {
  for (std::size_t i = 0; i < modal_.size(); ++i) {
    if (modal_[i] == &form) return owners_[i];
  }
  return 0;
}

void SimToolkit::quit() {
  quitRequested_ = true;
  for (auto& [h, v] : views_) v.ended = true;
  timers_.clear();
}

void SimToolkit::endProgram(const Form& form) {
  const auto it = views_.find(form.hwnd());
  if (it == views_.end() || it->second.form != &form) return;
  it->second.ended = true;
  std::erase_if(timers_, [&](const Scheduled& s) { return &s.timer->form() == &form; });
}

bool SimToolkit::ended(const Form& form) const {
  if (quitRequested_) return true;
  const View* v = viewOf(form.hwnd());
  return v && v->form == &form && v->ended;
}

}  // namespace kivo::sim
