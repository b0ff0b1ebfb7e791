// Simulated toolkit: form windows and control views kept in step by the
// model's change reports, the window functions reaching the forms, and the
// user's input on the views.
#include "platform/sim/sim_toolkit.h"

#include "platform/text.h"
#include "ui/forms.h"

namespace kivo::sim {

// ---- Views ------------------------------------------------------------------

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
  // The one moment a view is built from the model as a whole.
  View v{&form, buildView(form), {}};
  for (const auto& c : form.controls()) {
    if (c->kind() != ControlKind::Timer) v.controls.emplace(c.get(), buildView(*c));
  }
  const FormView shown = v.shown;
  views_[h] = std::move(v);
  form.setHwnd(h);
  pushRect(h, shown);
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

void SimToolkit::controlChanged(Control& control, std::uint32_t what) {
  const Report report{control.form().name(), control.id(), what};
  reports_.push_back(report);
  View* v = viewOf(control.form().hwnd());
  ControlView* shown = nullptr;
  if (v && v->form == &control.form()) {
    const auto it = v->controls.find(&control);
    if (it != v->controls.end()) shown = &it->second;
  }
  if (!shown) {
    idle_.push_back(report);
    return;
  }
  const std::uint32_t changed = pull(*shown, control, what);
  if (changed != what) idle_.push_back(Report{report.form, report.control, what & ~changed});
}

void SimToolkit::formChanged(Form& form, std::uint32_t what) {
  const Report report{form.name(), "", what};
  reports_.push_back(report);
  View* v = viewOf(form.hwnd());
  if (!v || v->form != &form) {
    idle_.push_back(report);
    return;
  }
  const std::uint32_t changed = pull(v->shown, form, what);
  if (changed != what) idle_.push_back(Report{report.form, "", what & ~changed});
  SimWindow* w = windows_ ? windows_->window(form.hwnd()) : nullptr;
  if (!w) return;
  // The title only on a caption report: the engine writes its clock into
  // the main window's title, and no other change may undo that.
  if (changed & kFormCaption) w->title = v->shown.caption;
  if (changed & kFormPosition) pushRect(form.hwnd(), v->shown);
  if (changed & kFormVisible) w->visible = v->shown.visible;
}

void SimToolkit::pushRect(Hwnd h, const FormView& view) {
  SimWindow* w = windows_ ? windows_->window(h) : nullptr;
  if (!w) return;
  const int x = view.left / twipsX_, y = view.top / twipsY_;
  w->rect = Rect{x, y, x + view.width / twipsX_, y + view.height / twipsY_};
}

SimToolkit::View* SimToolkit::viewOf(Hwnd h) {
  const auto it = views_.find(h);
  return it == views_.end() ? nullptr : &it->second;
}

const SimToolkit::View* SimToolkit::viewOf(Hwnd h) const {
  const auto it = views_.find(h);
  return it == views_.end() ? nullptr : &it->second;
}

const FormView* SimToolkit::view(const Form& form) const {
  const View* v = viewOf(form.hwnd());
  return v && v->form == &form ? &v->shown : nullptr;
}

const ControlView* SimToolkit::view(const Control& control) const {
  const View* v = viewOf(control.form().hwnd());
  if (!v || v->form != &control.form()) return nullptr;
  const auto it = v->controls.find(&control);
  return it == v->controls.end() ? nullptr : &it->second;
}

std::vector<std::string> SimToolkit::staleViews() const {
  std::vector<std::string> out;
  for (const auto& [h, v] : views_) {
    const Form& form = *v.form;
    for (const std::string& d : differences(v.shown, buildView(form)))
      out.push_back(form.name() + " " + d);
    for (const auto& c : form.controls()) {
      const auto it = v.controls.find(c.get());
      if (it == v.controls.end()) continue;
      for (const std::string& d : differences(it->second, buildView(*c)))
        out.push_back(form.name() + " " + c->id() + " " + d);
    }
  }
  return out;
}

Form* SimToolkit::formOf(Hwnd h) const {
  const View* v = viewOf(h);
  return v ? v->form : nullptr;
}

// ---- What the window functions do to a form's window ---------------------------

void SimToolkit::windowShown(Hwnd h, int cmd) {
  View* v = viewOf(h);
  // An ended program no longer hears its windows.
  if (!v || v->ended) return;
  WindowState state = v->shown.state;
  switch (cmd) {
    case kSwShowNormal:
    case kSwRestore: state = WindowState::Normal; break;
    case kSwShowMinimized:
    case kSwMinimize:
    case kSwShowMinNoActive:
    case kSwForceMinimize: state = WindowState::Minimized; break;
    case kSwShowMaximized: state = WindowState::Maximized; break;
    default: break;  // hiding and plain showing keep the state
  }
  // The window is in its new state already; the form's report brings the
  // view along.
  v->form->nativeStateChanged(state, cmd != kSwHide);
}

void SimToolkit::windowMoved(Hwnd h, int x, int y) {
  View* v = viewOf(h);
  if (!v || v->ended) return;
  v->form->nativeMoved(x * twipsX_, y * twipsY_);
}

void SimToolkit::windowClosed(Hwnd h) {
  const auto it = views_.find(h);
  if (it == views_.end()) return;
  Form* form = it->second.form;
  const bool ended = it->second.ended;
  views_.erase(it);
  // The system destroyed the window: the form unloads as when its close
  // box is clicked, unless its program has ended.
  if (!ended) form->unload();
}

// ---- The user at work --------------------------------------------------------------

SimToolkit::View* SimToolkit::reachable(const Form& form) {
  View* v = viewOf(form.hwnd());
  if (!v || v->form != &form || v->ended || quitRequested_) return nullptr;
  // A modal dialog keeps the user away from every other window of the
  // program, as the classic modal forms do.
  if (!modal_.empty() && modal_.back() != &form) return nullptr;
  return v;
}

bool SimToolkit::reachable(const Control& control) {
  View* v = reachable(control.form());
  if (!v) return false;
  // What the user can reach is what the widgets show, frames included.
  for (const Control* c = &control; c; c = c->container()) {
    const auto it = v->controls.find(c);
    if (it == v->controls.end() || !it->second.enabled || !it->second.visible) return false;
  }
  return true;
}

bool SimToolkit::userClick(Control& control) { return reachable(control) && control.userClick(); }

bool SimToolkit::userType(TextBox& box, const std::string& text) {
  if (!reachable(box)) return false;
  // The edit control itself stops the typing at its limit.
  const int limit = view(box)->maxLength;
  return box.userType(limit > 0 ? text::left(text, static_cast<std::size_t>(limit)) : text);
}

bool SimToolkit::userSelect(ListBox& list, int row) {
  if (!reachable(list)) return false;
  // Only a row the list shows can be picked.
  if (row < 0 || row >= static_cast<int>(view(list)->rows.size())) return false;
  return list.userSelect(row);
}

bool SimToolkit::userClose(Form& form) { return reachable(form) && form.userClose(); }

bool SimToolkit::userSetState(Form& form, WindowState state) {
  View* v = reachable(form);
  if (!v || !v->shown.visible) return false;
  form.nativeStateChanged(state, true);
  return true;
}

}  // namespace kivo::sim
