// The toolkit contract suite's rig for the simulated desktop: its views are
// what the user sees, the user's input goes through its entry points. It has
// no keyboard: a dialog manager's keys would be the rig's own code.
#include "platform/sim/sim_desktop.h"
#include "tests/contract/toolkit_contract.h"

namespace kivo::contract {
namespace {

// Simulated time the suite may spend in one loop before a case has failed.
constexpr std::int64_t kLoopLimitMs = 60000;

class SimToolkitRig : public ToolkitRig {
 public:
  SimToolkitRig() {
    tk().modalPump = [this] { return step(); };
  }
  Toolkit& toolkit() override { return d_.toolkit; }

  std::optional<NativeForm> read(const Form& form) override {
    const sim::FormView* view = tk().view(form);
    if (!view) return std::nullopt;
    NativeForm out;
    out.form = *view;
    for (const Control* c : form.tabOrder()) {
      const sim::ControlView* cv = tk().view(*c);
      if (!cv) continue;
      sim::ControlView seen = *cv;
      // The frames' views around it let the user see and reach it or not.
      for (const Control* p = c->container(); p; p = p->container()) {
        const sim::ControlView* pv = tk().view(*p);
        seen.enabled = seen.enabled && pv && pv->enabled;
        seen.visible = seen.visible && pv && pv->visible;
      }
      out.controls.emplace_back(c, seen);
      out.tabOrder.push_back(c);
      if (c->kind() == ControlKind::CommandButton &&
          static_cast<const CommandButton*>(c)->isDefault())
        out.defaultButton = c;
    }
    return out;
  }
  // It draws no text.
  std::vector<std::string> clipped(const Form&) override { return {}; }

  void click(Control& c) override { tk().userClick(c); }
  void type(TextBox& box, const std::string& text) override { tk().userType(box, text); }
  void select(ListBox& list, int row) override { tk().userSelect(list, row); }
  void press(Control&, char) override {}
  void close(Form& form) override { tk().userClose(form); }
  void setState(Form& form, WindowState state) override { tk().userSetState(form, state); }
  bool reachable(const Form& form) override {
    const auto& modal = tk().modalForms();
    return tk().view(form) && (modal.empty() || modal.back() == &form) && !tk().quitRequested();
  }
  void focus(Control&) override {}

  int run() override {
    while (!tk().quitRequested() && step()) {
    }
    return 0;
  }
  bool pumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds) override {
    while (!condition()) {
      if (!step()) return false;
    }
    return true;
  }
  std::optional<std::string> cannot(ToolkitPromise) override {
    return "the simulated desktop has no keyboard";
  }

 private:
  sim::SimToolkit& tk() { return d_.toolkit; }
  // One simulated millisecond, its timers fired; false past the limit.
  bool step() {
    if (++steps_ > kLoopLimitMs) return false;
    tk().runFor(1);
    return true;
  }
  sim::SimDesktop d_;
  std::int64_t steps_ = 0;
};

}  // namespace

std::unique_ptr<ToolkitRig> makeToolkitRig() { return std::make_unique<SimToolkitRig>(); }

}  // namespace kivo::contract
