// Simulated toolkit: message-box recorder with scripted answers, form
// windows, timers on the simulated clock and the modal loop.
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

int SimToolkit::messageBox(Hwnd, const std::string& text, const std::string& title, int style) {
  log_.add("msgbox " + std::to_string(style) + " " + quote(title) + " " + quote(text));
  Answer a{kIdOk, 0};
  if (!answers_.empty()) {
    a = answers_.front();
    answers_.pop_front();
  }
  boxes_.push_back(RecordedBox{text, title, style, a.value});
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
  if (timer.active()) timers_.push_back({&timer, clock_.nowMs() + timer.interval(), nextOrder_++});
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

// ---- Form windows -------------------------------------------------------------

void SimToolkit::attachForm(Form& form) {
  Hwnd h = 0;
  if (windows_) {
    h = windows_->newHandle();
    windows_->addWindow(h, kFormWindowClass, form.caption());
    windows_->window(h)->visible = form.visible();
  } else {
    h = nextBareHandle_;
    nextBareHandle_ += 4;
  }
  views_[h] = View{&form, form.caption(), form.left(), form.top(), form.visible(), nextOrder_++};
  form.setHwnd(h);
  pushRect(h, form);
}

void SimToolkit::detachForm(Form& form) {
  const Hwnd h = form.hwnd();
  const auto it = views_.find(h);
  if (it == views_.end() || it->second.form != &form) return;
  views_.erase(it);
  form.setHwnd(0);
  // The view is gone first, so the window system's close hook finds no form.
  if (windows_) windows_->closeWindow(h);
}

void SimToolkit::controlChanged(Control& control, std::uint32_t) { formChanged(control.form(), 0); }

void SimToolkit::formChanged(Form& form, std::uint32_t) {
  View* v = viewOf(form.hwnd());
  if (!v || v->form != &form) return;
  SimWindow* w = windows_ ? windows_->window(form.hwnd()) : nullptr;
  if (form.caption() != v->caption) {
    v->caption = form.caption();
    if (w) w->title = v->caption;
  }
  if (form.left() != v->left || form.top() != v->top) {
    v->left = form.left();
    v->top = form.top();
    pushRect(form.hwnd(), form);
  }
  if (form.visible() != v->visible) {
    v->visible = form.visible();
    if (w) w->visible = v->visible;
  }
}

void SimToolkit::pushRect(Hwnd h, const Form& form) {
  SimWindow* w = windows_ ? windows_->window(h) : nullptr;
  if (!w) return;
  const int x = form.left() / twipsX_, y = form.top() / twipsY_;
  w->rect = Rect{x, y, x + form.width() / twipsX_, y + form.height() / twipsY_};
}

SimToolkit::View* SimToolkit::viewOf(Hwnd h) {
  const auto it = views_.find(h);
  return it == views_.end() ? nullptr : &it->second;
}

Form* SimToolkit::formOf(Hwnd h) const {
  const auto it = views_.find(h);
  return it == views_.end() ? nullptr : it->second.form;
}

Form* SimToolkit::findForm(const std::string& name) const {
  const View* best = nullptr;
  for (const auto& [h, v] : views_) {
    if (v.form->name() == name && (!best || v.order > best->order)) best = &v;
  }
  return best ? best->form : nullptr;
}

void SimToolkit::windowShown(Hwnd h, int cmd) {
  View* v = viewOf(h);
  if (!v) return;
  Form& form = *v->form;
  WindowState state = form.windowState();
  switch (cmd) {
    case 1:  // SW_SHOWNORMAL
    case 9:  // SW_RESTORE
      state = WindowState::Normal;
      break;
    case 2:   // SW_SHOWMINIMIZED
    case 6:   // SW_MINIMIZE
    case 7:   // SW_SHOWMINNOACTIVE
    case 11:  // SW_FORCEMINIMIZE
      state = WindowState::Minimized;
      break;
    case 3:  // SW_SHOWMAXIMIZED
      state = WindowState::Maximized;
      break;
    default:  // SW_HIDE, SW_SHOW and the others keep the state
      break;
  }
  v->visible = cmd != kSwHide;
  form.nativeStateChanged(state, cmd != kSwHide);
}

void SimToolkit::windowMoved(Hwnd h, int x, int y) {
  View* v = viewOf(h);
  if (!v) return;
  v->left = x * twipsX_;
  v->top = y * twipsY_;
  v->form->nativeMoved(v->left, v->top);
}

void SimToolkit::windowClosed(Hwnd h) {
  const auto it = views_.find(h);
  if (it == views_.end()) return;
  Form* form = it->second.form;
  views_.erase(it);
  // The system closed the window: the form unloads as when its close box
  // is clicked.
  form->unload();
}

// ---- Modal loop -----------------------------------------------------------------

void SimToolkit::runModal(Form& form, Hwnd) {
  modal_.push_back(&form);
  struct Pop {
    std::vector<Form*>& stack;
    ~Pop() { stack.pop_back(); }
  } pop{modal_};
  // After quit() the program is ending: the loop is left without closing
  // the dialog, whose owner discards it quietly.
  while (!form.closed() && !quitRequested_) {
    if (!modalPump || !modalPump()) {
      form.unload();
      break;
    }
  }
}

}  // namespace kivo::sim
