// The portable forms model: control values, click semantics, timers that
// never nest, and the form lifecycle (load, show, modal, unload).
#include "ui/forms.h"

#include <algorithm>

#include "platform/errors.h"
#include "platform/text.h"

namespace kivo {

namespace {

constexpr int kErrInvalidProperty = 380;
constexpr int kErrInvalidArrayIndex = 381;
constexpr int kMaxTimerInterval = 65535;

// The non-client part of a fixed single or fixed dialog window on the
// systems the program was made for: a 3-pixel frame on each side and a
// 19-pixel caption bar, so 6 pixels more across and 25 more down than the
// client area. Every backend gets the same outer size this way, and the
// centring of the main window comes out the same on all of them.
constexpr int kFramePxX = 6;
constexpr int kFramePxY = 25;

[[noreturn]] void invalidProperty() {
  throw RuntimeError(kErrInvalidProperty, "Invalid property value");
}

}  // namespace

// ---- Control ---------------------------------------------------------------

Control::Control(Form& form, ControlKind kind, std::string name, int index, std::string caption,
                 Twips layout, Control* container)
    : form_(form),
      kind_(kind),
      name_(std::move(name)),
      index_(index),
      caption_(std::move(caption)),
      layout_(layout),
      container_(container) {}

std::string Control::id() const {
  return index_ < 0 ? name_ : name_ + "(" + std::to_string(index_) + ")";
}

void Control::setCaption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  changed();
}

void Control::setEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  changed();
}

bool Control::acceptsInput() const {
  // A disabled frame takes its contents out of reach of the user as well.
  for (const Control* c = this; c; c = c->container_) {
    if (!c->enabled_) return false;
  }
  return true;
}

void Control::changed() { form_.changed(); }

// ---- CheckBox, OptionButton, CommandButton ---------------------------------

void CheckBox::setValue(int value) {
  if (value < 0 || value > 2) invalidProperty();
  if (value == value_) return;
  value_ = value;
  changed();
  if (onClick) onClick();
}

void CheckBox::userClick() {
  if (!acceptsInput()) return;
  setValue(value_ == 1 ? 0 : 1);
}

void OptionButton::setValue(bool value) {
  if (!value) {
    if (value_) {
      value_ = false;
      changed();
    }
    return;
  }
  if (value_) return;
  // Only the buttons that share this button's container (a frame, or the
  // form itself) form one group.
  for (const auto& c : form().controls()) {
    if (c.get() == this || c->kind() != ControlKind::OptionButton || c->container() != container())
      continue;
    static_cast<OptionButton&>(*c).value_ = false;
  }
  value_ = true;
  changed();
  if (onClick) onClick();
}

void OptionButton::userClick() {
  if (acceptsInput()) setValue(true);
}

void CommandButton::click() {
  if (onClick) onClick();
}

void CommandButton::userClick() {
  if (acceptsInput()) click();
}

// ---- TextBox, ListBox ------------------------------------------------------

void TextBox::setText(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  changed();
}

void TextBox::userType(const std::string& text) {
  if (!acceptsInput()) return;
  setText(maxLength_ > 0 ? text::left(text, static_cast<std::size_t>(maxLength_)) : text);
}

void ListBox::setRow(int i, const std::string& text) {
  if (i == listCount()) {
    rows_.push_back(text);
  } else if (i >= 0 && i < listCount()) {
    rows_[static_cast<std::size_t>(i)] = text;
  } else {
    throw RuntimeError(kErrInvalidArrayIndex, "Invalid property array index");
  }
  changed();
}

const std::string& ListBox::row(int i) const {
  // Reading past the last row gives empty text, as the classic list box
  // does; only a negative index is an error.
  static const std::string empty;
  if (i < 0) throw RuntimeError(kErrInvalidArrayIndex, "Invalid property array index");
  return i < listCount() ? rows_[static_cast<std::size_t>(i)] : empty;
}

void ListBox::removeItem(int i) {
  if (i < 0 || i >= listCount()) throw RuntimeError(kErrInvalidCall);
  rows_.erase(rows_.begin() + i);
  // The selection stays on the same row text; removing the selected row
  // leaves nothing selected.
  if (listIndex_ == i) {
    listIndex_ = -1;
  } else if (listIndex_ > i) {
    --listIndex_;
  }
  changed();
}

void ListBox::setListIndex(int i) {
  if (i < -1 || i >= listCount()) invalidProperty();
  if (i == listIndex_) return;
  listIndex_ = i;
  changed();
}

// ---- Timer -----------------------------------------------------------------

void Timer::setInterval(int ms) {
  if (ms < 0 || ms > kMaxTimerInterval) invalidProperty();
  if (ms == interval_) return;
  interval_ = ms;
  form().toolkit().timerChanged(*this);
}

void Timer::setEnabled(bool enabled) {
  if (enabled == this->enabled()) return;
  Control::setEnabled(enabled);
  form().toolkit().timerChanged(*this);
}

bool Timer::active() const { return enabled() && interval_ > 0 && form().loaded(); }

bool Timer::fire() {
  if (running_) return false;
  // The guard must fall even when the handler throws, or the timer would
  // never run again.
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{running_};
  running_ = true;
  if (onTimer) onTimer();
  return true;
}

// ---- Form ------------------------------------------------------------------

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
  // The derived part is gone already, so Form_Unload cannot run here; the
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
  Form_Load();
}

void Form::unload() {
  if (!loaded_ || unloading_) return;
  unloading_ = true;
  try {
    Form_Unload();
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
  changed();
}

void Form::move(int left, int top) {
  if (left == left_ && top == top_) return;
  left_ = left;
  top_ = top;
  changed();
}

void Form::show() {
  if (!loaded_) load();
  if (!loaded_) return;  // Form_Load unloaded it again
  if (!visible_) {
    visible_ = true;
    changed();
  }
  if (!shownOnce_) {
    shownOnce_ = true;
    Form_Resize();
  }
}

void Form::hide() {
  if (!visible_) return;
  visible_ = false;
  changed();
}

void Form::setWindowState(WindowState state) {
  if (state == state_) return;
  state_ = state;
  changed();
  Form_Resize();
}

void Form::showModal() {
  if (!loaded_) load();
  if (!loaded_) return;
  show();
  if (loaded_) toolkit_.runModal(*this, 0);
}

void Form::nativeStateChanged(WindowState state, bool visible) {
  const bool firstShowing = visible && !shownOnce_;
  const bool stateChanged = state != state_;
  if (!stateChanged && visible == visible_ && !firstShowing) return;
  state_ = state;
  visible_ = visible;
  if (visible) shownOnce_ = true;
  changed();
  if (stateChanged || firstShowing) Form_Resize();
}

void Form::nativeMoved(int left, int top) { move(left, top); }

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
  controls_.push_back(std::move(c));
}

void Form::changed() {
  // Before the view exists there is nothing to refresh: attaching builds it
  // from the model as it then stands.
  if (loaded_) toolkit_.formChanged(*this, ~0u);
}

}  // namespace kivo
