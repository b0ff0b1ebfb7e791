// The controls of the forms model: click-on-change values, option groups,
// list rows, timers that never nest, change reports and the user entry
// points.
#include "ui/controls.h"

#include "platform/errors.h"
#include "platform/text.h"
#include "ui/forms.h"

namespace kivo {

namespace {

constexpr int kMaxTimerInterval = 65535;

[[noreturn]] void invalidProperty() { throw RuntimeError(kErrInvalidProperty); }

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
  changed(kChangeCaption);
}

void Control::setEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  changed(kChangeEnabled);
}

void Control::setVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  changed(kChangeVisible);
}

void Control::setFont(FontSpec font) {
  if (font == font_) return;
  font_ = std::move(font);
  changed(kChangeFont);
}

bool Control::effectivelyEnabled() const {
  for (const Control* c = this; c; c = c->container_) {
    if (!c->enabled_) return false;
  }
  return true;
}

bool Control::effectivelyVisible() const {
  for (const Control* c = this; c; c = c->container_) {
    if (!c->visible_) return false;
  }
  return true;
}

void Control::changed(std::uint32_t what) {
  // Before the view exists there is nothing to refresh: attaching builds it
  // from the model as it then stands. A timer has no view at all.
  if (kind_ == ControlKind::Timer || !form_.loaded()) return;
  form_.toolkit().controlChanged(*this, what);
}

// ---- CheckBox, OptionButton, CommandButton ---------------------------------

void CheckBox::setValue(int value) {
  if (value < 0 || value > 2) invalidProperty();
  if (value == value_) return;
  value_ = value;
  changed(kChangeValue);
  if (onClick) onClick();
}

bool CheckBox::userClick() {
  if (!acceptsInput()) return false;
  setValue(value_ == 1 ? 0 : 1);
  return true;
}

void OptionButton::setValue(bool value) {
  if (!value) {
    if (value_) {
      value_ = false;
      changed(kChangeValue);
    }
    return;
  }
  if (value_) return;
  // Only the buttons that share this button's container (a frame, or the
  // form itself) form one group. The one cleared changes as well, and its
  // view must hear of it.
  for (const auto& c : form().controls()) {
    if (c.get() == this || c->kind() != ControlKind::OptionButton || c->container() != container())
      continue;
    auto& other = static_cast<OptionButton&>(*c);
    if (other.value_) {
      other.value_ = false;
      other.changed(kChangeValue);
    }
  }
  value_ = true;
  changed(kChangeValue);
  if (onClick) onClick();
}

bool OptionButton::userClick() {
  if (!acceptsInput()) return false;
  setValue(true);
  return true;
}

void CommandButton::click() {
  if (onClick) onClick();
}

bool CommandButton::userClick() {
  if (!acceptsInput()) return false;
  click();
  return true;
}

// ---- TextBox, ListBox ------------------------------------------------------

void TextBox::setText(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  changed(kChangeValue);
}

bool TextBox::userType(const std::string& text) {
  if (!acceptsInput()) return false;
  setText(maxLength_ > 0 ? text::left(text, static_cast<std::size_t>(maxLength_)) : text);
  return true;
}

void TextBox::setMaxLength(int n) {
  if (n == maxLength_) return;
  maxLength_ = n;
  changed(kChangeMaxLength);
}

void ListBox::setRow(int i, const std::string& text) {
  if (i == listCount()) {
    rows_.push_back(text);
  } else if (i >= 0 && i < listCount()) {
    if (rows_[static_cast<std::size_t>(i)] == text) return;
    rows_[static_cast<std::size_t>(i)] = text;
  } else {
    throw RuntimeError(kErrInvalidArrayIndex);
  }
  changed(kChangeRows);
}

const std::string& ListBox::row(int i) const {
  // Reading past the last row gives empty text, as the classic list box
  // does; only a negative index is an error.
  static const std::string empty;
  if (i < 0) throw RuntimeError(kErrInvalidArrayIndex);
  return i < listCount() ? rows_[static_cast<std::size_t>(i)] : empty;
}

void ListBox::removeItem(int i) {
  if (i < 0 || i >= listCount()) throw RuntimeError(kErrInvalidCall);
  rows_.erase(rows_.begin() + i);
  // The selection stays on the same row text; removing the selected row
  // leaves nothing selected. Either way its index may change.
  const int before = listIndex_;
  if (listIndex_ == i) {
    listIndex_ = -1;
  } else if (listIndex_ > i) {
    --listIndex_;
  }
  changed(kChangeRows | (listIndex_ != before ? kChangeValue : 0u));
}

void ListBox::setListIndex(int i) {
  if (i < -1 || i >= listCount()) invalidProperty();
  if (i == listIndex_) return;
  listIndex_ = i;
  changed(kChangeValue);
}

bool ListBox::userSelect(int i) {
  if (!acceptsInput() || i < 0 || i >= listCount()) return false;
  setListIndex(i);
  return true;
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

}  // namespace kivo
