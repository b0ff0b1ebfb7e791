// Simulated views of forms and controls: built from the model at attach,
// updated part by part from change reports, and compared with the model.
#include "platform/sim/sim_views.h"

#include <ostream>

#include "platform/sim/sim_events.h"

namespace kivo::sim {

namespace {

// Sets `part` to `value` and adds `bit` to `changed` when that changes it.
template <class T>
void take(T& part, const T& value, std::uint32_t bit, std::uint32_t& changed) {
  if (part == value) return;
  part = value;
  changed |= bit;
}

std::string show(bool v) { return v ? "1" : "0"; }
std::string show(int v) { return std::to_string(v); }
std::string show(const std::string& v) { return quote(v); }
std::string show(WindowState v) { return std::to_string(static_cast<int>(v)); }
std::string show(const FontSpec& f) {
  return quote(f.face) + " " + std::to_string(f.points) + (f.bold ? " bold " : " ") +
         std::to_string(f.charset);
}
std::string show(const std::vector<std::string>& rows) {
  std::string out = "[";
  for (const std::string& r : rows) out += (out.size() > 1 ? " " : "") + quote(r);
  return out + "]";
}

template <class T>
void compare(std::vector<std::string>& out, const char* part, const T& view, const T& model) {
  if (!(view == model))
    out.push_back(std::string(part) + ": view " + show(view) + ", model " + show(model));
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const Report& report) {
  out << report.form;
  if (!report.control.empty()) out << " " << report.control;
  static constexpr std::pair<std::uint32_t, const char*> kControlBits[] = {
      {kChangeCaption, "caption"}, {kChangeValue, "value"}, {kChangeEnabled, "enabled"},
      {kChangeVisible, "visible"}, {kChangeRows, "rows"},   {kChangeMaxLength, "maxLength"},
      {kChangeFont, "font"}};
  static constexpr std::pair<std::uint32_t, const char*> kFormBits[] = {
      {kFormCaption, "caption"},
      {kFormPosition, "position"},
      {kFormVisible, "visible"},
      {kFormWindowState, "state"}};
  std::uint32_t left = report.what;
  auto names = [&](const auto& bits) {
    for (const auto& [bit, name] : bits) {
      if (left & bit) out << " " << name;
      left &= ~bit;
    }
  };
  if (report.control.empty()) {
    names(kFormBits);
  } else {
    names(kControlBits);
  }
  if (left != 0) out << " 0x" << std::hex << left << std::dec;
  return out;
}

FormView buildView(const Form& form) {
  FormView v;
  pull(v, form, ~0u);
  v.width = form.width();
  v.height = form.height();
  v.font = form.font();
  v.icon = form.icon();
  return v;
}

ControlView buildView(const Control& control) {
  ControlView v;
  pull(v, control, ~0u);
  return v;
}

std::uint32_t pull(FormView& view, const Form& form, std::uint32_t what) {
  std::uint32_t changed = 0;
  if (what & kFormCaption) take(view.caption, form.caption(), kFormCaption, changed);
  if (what & kFormPosition) {
    take(view.left, form.left(), kFormPosition, changed);
    take(view.top, form.top(), kFormPosition, changed);
  }
  if (what & kFormVisible) take(view.visible, form.visible(), kFormVisible, changed);
  if (what & kFormWindowState) take(view.state, form.windowState(), kFormWindowState, changed);
  return changed;
}

std::uint32_t pull(ControlView& view, const Control& c, std::uint32_t what) {
  std::uint32_t changed = 0;
  if (what & kChangeCaption) take(view.caption, c.caption(), kChangeCaption, changed);
  if (what & kChangeEnabled) take(view.enabled, c.enabled(), kChangeEnabled, changed);
  if (what & kChangeVisible) take(view.visible, c.visible(), kChangeVisible, changed);
  if (what & kChangeFont) take(view.font, c.font(), kChangeFont, changed);
  // Only the parts a kind has: a report of another part changes nothing.
  switch (c.kind()) {
    case ControlKind::CheckBox:
      if (what & kChangeValue)
        take(view.value, static_cast<const CheckBox&>(c).value(), kChangeValue, changed);
      break;
    case ControlKind::OptionButton:
      if (what & kChangeValue) {
        const int value = static_cast<const OptionButton&>(c).value() ? 1 : 0;
        take(view.value, value, kChangeValue, changed);
      }
      break;
    case ControlKind::TextBox: {
      const auto& box = static_cast<const TextBox&>(c);
      if (what & kChangeValue) take(view.text, box.text(), kChangeValue, changed);
      if (what & kChangeMaxLength) take(view.maxLength, box.maxLength(), kChangeMaxLength, changed);
      break;
    }
    case ControlKind::ListBox: {
      const auto& list = static_cast<const ListBox&>(c);
      if (what & kChangeRows) take(view.rows, list.rows(), kChangeRows, changed);
      if (what & kChangeValue) take(view.selection, list.listIndex(), kChangeValue, changed);
      break;
    }
    default: break;
  }
  return changed;
}

std::vector<std::string> differences(const FormView& view, const FormView& model) {
  std::vector<std::string> out;
  compare(out, "caption", view.caption, model.caption);
  compare(out, "left", view.left, model.left);
  compare(out, "top", view.top, model.top);
  compare(out, "width", view.width, model.width);
  compare(out, "height", view.height, model.height);
  compare(out, "visible", view.visible, model.visible);
  compare(out, "state", view.state, model.state);
  compare(out, "font", view.font, model.font);
  compare(out, "icon", view.icon, model.icon);
  return out;
}

std::vector<std::string> differences(const ControlView& view, const ControlView& model) {
  std::vector<std::string> out;
  compare(out, "caption", view.caption, model.caption);
  compare(out, "value", view.value, model.value);
  compare(out, "text", view.text, model.text);
  compare(out, "enabled", view.enabled, model.enabled);
  compare(out, "visible", view.visible, model.visible);
  compare(out, "rows", view.rows, model.rows);
  compare(out, "selection", view.selection, model.selection);
  compare(out, "maxLength", view.maxLength, model.maxLength);
  compare(out, "font", view.font, model.font);
  return out;
}

}  // namespace kivo::sim
