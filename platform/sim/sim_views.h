#pragma once
// What the simulated desktop shows of the program's forms: one view per
// form and per control, as a native backend keeps its widgets.

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "ui/forms.h"

namespace kivo::sim {

// A control as its widget shows it. Each part is filled in when the form is
// attached and afterwards changes only when a report names it.
struct ControlView {
  std::string caption;
  int value = 0;     // check box 0/1/2, option button 0/1
  std::string text;  // text box
  bool enabled = true;
  bool visible = true;
  std::vector<std::string> rows;  // list box
  int selection = -1;             // list box
  int maxLength = 0;              // text box, 0: no limit
  FontSpec font;
  friend bool operator==(const ControlView&, const ControlView&) = default;
};

// A form's window as the desktop shows it; size, font and icon are taken at
// attach and never change.
struct FormView {
  std::string caption;
  int left = 0, top = 0, width = 0, height = 0;  // twips
  bool visible = false;
  WindowState state = WindowState::Normal;
  FontSpec font;
  IconId icon = kNoIcon;
  friend bool operator==(const FormView&, const FormView&) = default;
};

// One change report as the toolkit received it; `control` is empty for a
// report of the form itself.
struct Report {
  std::string form, control;
  std::uint32_t what = 0;
  friend bool operator==(const Report&, const Report&) = default;
};
// "frmSet chkShow(5) value enabled", for messages.
std::ostream& operator<<(std::ostream& out, const Report& report);

// The view a freshly attached form or control gets: the model as it stands.
FormView buildView(const Form& form);
ControlView buildView(const Control& control);

// The parts of the view that `what` names, taken from the model; returns
// the bits whose part actually changed in the view.
std::uint32_t pull(FormView& view, const Form& form, std::uint32_t what);
std::uint32_t pull(ControlView& view, const Control& control, std::uint32_t what);

// Every part in which the view differs from the model, as "PART view V model M".
std::vector<std::string> differences(const FormView& view, const FormView& model);
std::vector<std::string> differences(const ControlView& view, const ControlView& model);

}  // namespace kivo::sim
