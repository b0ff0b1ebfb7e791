// The toolkit contract suite's shared parts: the one comparison of a native
// form with its model, and the test forms.
#include <algorithm>

#include "tests/contract/toolkit_contract.h"

namespace kivo::contract {

int inTwips(int px, int twips, int twipsPx, int dpi) {
  return px == twipsPx ? twips : px * 1440 / dpi;
}

KindsForm::KindsForm(Toolkit& tk)
    : Form(tk, "frmKinds", "Kinds", 4800, 3000, BorderStyle::FixedDialog) {
  frame = &add<Frame>("fraKinds", -1, "枠", {120, 120, 2400, 1500});
  check = &add<CheckBox>("chkKinds", -1, "箱(&C)", {120, 240, 1800, 312}, frame);
  opt[0] = &add<OptionButton>("optKinds", 0, "一(&1)", {120, 600, 1800, 312}, frame);
  opt[1] = &add<OptionButton>("optKinds", 1, "二(&2)", {120, 960, 1800, 312}, frame);
  box = &add<TextBox>("txtKinds", -1, "", {2640, 240, 1200, 312});
  list = &add<ListBox>("lstKinds", -1, "", {2640, 720, 1800, 900});
  ok = &add<CommandButton>("cmdKinds", 0, "OK", {2640, 2400, 900, 372});
  cancel = &add<CommandButton>("cmdKinds", 1, "Cancel", {3660, 2400, 900, 372});
  ok->setDefault(true);
  cancel->setCancel(true);
  box->setMaxLength(2);
  check->onClick = [this] { ++checkClicks; };
  opt[0]->onClick = [this] { ++optionClicks; };
  opt[1]->onClick = [this] { ++optionClicks; };
  ok->onClick = [this] { ++okClicks; };
  cancel->onClick = [this] { ++cancelClicks; };
}

TimersForm::TimersForm(Toolkit& tk, std::string name)
    : Form(tk, std::move(name), "Timers", 3000, 2000, BorderStyle::FixedDialog) {
  a = &add<Timer>("tmrA", -1, "", {});
  b = &add<Timer>("tmrB", -1, "", {});
  a->onTimer = [this] {
    ++aFires;
    if (onA) onA();
  };
  b->onTimer = [this] {
    ++bFires;
    if (onB) onB();
  };
}

void TimersForm::start(Timer& t, int ms) {
  t.setInterval(ms);
  t.setEnabled(true);
}

const Control* ToolkitRig::focused(const Form& form) {
  for (const Control* c : form.tabOrder()) {
    if (hasFocus(*c)) return c;
  }
  return nullptr;
}

std::vector<std::string> viewDifferences(ToolkitRig& rig, const Form& form) {
  return viewDifferences(form, rig.read(form));
}

std::vector<std::string> viewDifferences(const Form& form,
                                         const std::optional<NativeForm>& native) {
  if (!native) return {form.name() + ": no window"};
  std::vector<std::string> out;
  const auto note = [&out](const std::string& who, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) out.push_back(who + " " + line);
  };
  note(form.name(), sim::differences(native->form, sim::buildView(form)));
  const Control* byDefault = nullptr;
  std::vector<const Control*> order;
  for (const Control* c : form.tabOrder()) {
    if (c->kind() == ControlKind::CommandButton &&
        static_cast<const CommandButton*>(c)->isDefault())
      byDefault = c;
    const auto it = std::find_if(native->controls.begin(), native->controls.end(),
                                 [c](const auto& entry) { return entry.first == c; });
    if (it == native->controls.end()) {
      out.push_back(form.name() + " " + c->id() + ": no widget");
      continue;
    }
    // The user sees what the frames around a control let through.
    sim::ControlView model = sim::buildView(*c);
    model.enabled = c->effectivelyEnabled();
    model.visible = c->effectivelyVisible();
    note(form.name() + " " + c->id(), sim::differences(it->second, model));
    if (std::count(native->tabOrder.begin(), native->tabOrder.end(), c)) order.push_back(c);
  }
  if (order != native->tabOrder) out.push_back(form.name() + ": tab order differs");
  if (native->defaultButton != byDefault) out.push_back(form.name() + ": default button differs");
  note(form.name(), native->problems);
  return out;
}

}  // namespace kivo::contract
