// The forms model's form: lifecycle (load, show, modal, unload), the
// window's own state and its change reports.
#include "ui/forms.h"

#include <algorithm>

namespace kivo {

namespace {

// The non-client part of a fixed single or fixed dialog window on the
// systems the program was made for: a 3-pixel frame on each side and a
// 19-pixel caption bar, so 6 pixels more across and 25 more down than the
// client area. Every backend gets the same outer size this way, and the
// centring of the main window comes out the same on all of them.
constexpr int kFramePxX = 6;
constexpr int kFramePxY = 25;

}  // namespace

Form::Form(Toolkit& toolkit, std::string name, std::string caption, int clientWidth,
           int clientHeight, BorderStyle border)
    : toolkit_(toolkit),
      name_(std::move(name)),
      caption_(std::move(caption)),
      border_(border),
      clientWidth_(clientWidth),
      clientHeight_(clientHeight) {
  updateOuterSize();
}

Form::~Form() {
  // The derived part is gone already, so onUnload cannot run here; the
  // view and the timers must still go, or the toolkit would keep pointers
  // into a dead form.
  if (!loaded_) return;
  try {
    finishUnload();
  } catch (...) {
  }
}

void Form::updateOuterSize() {
  width_ = clientWidth_ + kFramePxX * toolkit_.twipsPerPixelX();
  height_ = clientHeight_ + kFramePxY * toolkit_.twipsPerPixelY();
}

void Form::load() {
  if (loaded_) return;
  // A form loaded again after an unload gets a fresh window, as a new
  // instance of it would.
  closed_ = false;
  visible_ = false;
  shownOnce_ = false;
  updateOuterSize();
  toolkit_.attachForm(*this);
  loaded_ = true;
  // Timers enabled at design time start with the form.
  for (Timer* t : timers()) toolkit_.timerChanged(*t);
  onLoad();
}

void Form::unload() {
  if (!loaded_ || unloading_) return;
  unloading_ = true;
  try {
    onUnload();
  } catch (...) {
    finishUnload();
    throw;
  }
  finishUnload();
}

void Form::finishUnload() {
  unloading_ = false;
  for (Timer* t : timers()) t->setEnabled(false);
  loaded_ = false;
  closed_ = true;
  visible_ = false;
  toolkit_.detachForm(*this);
  hwnd_ = 0;
}

void Form::setCaption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  changed(kFormCaption);
}

void Form::move(int left, int top) {
  if (left == left_ && top == top_) return;
  left_ = left;
  top_ = top;
  changed(kFormPosition);
}

void Form::show() {
  if (!loaded_) load();
  if (!loaded_) return;  // onLoad unloaded it again
  if (!visible_) {
    visible_ = true;
    changed(kFormVisible);
  }
  if (!shownOnce_) {
    shownOnce_ = true;
    onResize();
  }
}

void Form::hide() {
  if (!visible_) return;
  visible_ = false;
  changed(kFormVisible);
}

void Form::setWindowState(WindowState state) {
  if (state == state_) return;
  state_ = state;
  changed(kFormWindowState);
  onResize();
}

void Form::showModal(Hwnd owner) {
  if (!loaded_) load();
  if (!loaded_) return;
  show();
  if (loaded_) toolkit_.runModal(*this, owner);
}

void Form::nativeStateChanged(WindowState state, bool visible) {
  const bool firstShowing = visible && !shownOnce_;
  std::uint32_t what = 0;
  if (state != state_) what |= kFormWindowState;
  if (visible != visible_) what |= kFormVisible;
  if (what == 0 && !firstShowing) return;
  state_ = state;
  visible_ = visible;
  if (visible) shownOnce_ = true;
  // The window is in that state already; the report keeps every view of
  // the form (and the backend's own record of it) in step with the model.
  if (what != 0) changed(what);
  if ((what & kFormWindowState) || firstShowing) onResize();
}

void Form::nativeMoved(int left, int top) { move(left, top); }

bool Form::userClose() {
  if (!loaded_) return false;
  // The program has no QueryUnload: closing is unloading.
  unload();
  return true;
}

Control* Form::find(const std::string& name, int index) const {
  for (const auto& c : controls_) {
    if (c->name() == name && c->index() == index) return c.get();
  }
  return nullptr;
}

std::vector<Control*> Form::tabOrder() const {
  std::vector<Control*> out;
  for (const auto& c : controls_) {
    if (c->kind() != ControlKind::Timer) out.push_back(c.get());
  }
  std::stable_sort(out.begin(), out.end(), [](const Control* a, const Control* b) {
    return a->tabIndex() < b->tabIndex();
  });
  return out;
}

CommandButton* Form::defaultButton() const {
  for (const auto& c : controls_) {
    if (c->kind() == ControlKind::CommandButton && static_cast<CommandButton&>(*c).isDefault())
      return static_cast<CommandButton*>(c.get());
  }
  return nullptr;
}

CommandButton* Form::cancelButton() const {
  for (const auto& c : controls_) {
    if (c->kind() == ControlKind::CommandButton && static_cast<CommandButton&>(*c).isCancel())
      return static_cast<CommandButton*>(c.get());
  }
  return nullptr;
}

std::vector<Timer*> Form::timers() const {
  std::vector<Timer*> out;
  for (const auto& c : controls_) {
    if (c->kind() == ControlKind::Timer) out.push_back(static_cast<Timer*>(c.get()));
  }
  return out;
}

void Form::adopt(std::unique_ptr<Control> c) {
  c->tabIndex_ = c->kind() == ControlKind::Timer ? -1 : nextTab_++;
  // As at design time, a control starts with its form's font.
  c->font_ = font_;
  controls_.push_back(std::move(c));
}

void Form::changed(std::uint32_t what) {
  // Before the view exists there is nothing to refresh: attaching builds it
  // from the model as it then stands.
  if (loaded_) toolkit_.formChanged(*this, what);
}

}  // namespace kivo
