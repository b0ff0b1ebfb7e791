#pragma once
// Test forms of the Qt toolkit's tests: one control of every kind with
// handlers that count, and a toolkit that records the change reports.

#include <array>
#include <string>
#include <vector>

#include "tests/x11/qt/qt_rig.h"
#include "ui/forms.h"

namespace kivo::qt::test {

class CountingToolkit : public QtToolkit {
 public:
  CountingToolkit() : QtToolkit(testArgc(), testArgv()) {}
  void controlChanged(Control& control, std::uint32_t what) override {
    reports.push_back(control.id() + ":" + std::to_string(what));
    QtToolkit::controlChanged(control, what);
  }
  std::vector<std::string> reports;
};

class KindsForm : public Form {
 public:
  explicit KindsForm(Toolkit& tk)
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
  Frame* frame;
  CheckBox* check;
  std::array<OptionButton*, 2> opt{};
  TextBox* box;
  ListBox* list;
  CommandButton *ok, *cancel;
  int checkClicks = 0, optionClicks = 0, okClicks = 0, cancelClicks = 0;
};

// Two timers with handlers that count.
class TimersForm : public Form {
 public:
  explicit TimersForm(Toolkit& tk, std::string name = "frmTimers")
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
  static void start(Timer& t, int ms) {
    t.setInterval(ms);
    t.setEnabled(true);
  }
  Timer *a, *b;
  int aFires = 0, bFires = 0;
  std::function<void()> onA, onB;
};

}  // namespace kivo::qt::test
