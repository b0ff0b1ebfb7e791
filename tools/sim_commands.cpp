// The kivo-sim commands that start the program, work its forms and print
// what the desktop and the program hold.
#include <algorithm>
#include <ostream>
#include <vector>

#include "platform/errors.h"
#include "platform/text.h"
#include "tools/sim_runner.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"
#include "ui/window_list_dialog.h"

namespace kivo::simscript {

namespace {

const char* kindName(ControlKind k) {
  switch (k) {
    case ControlKind::Frame: return "a frame";
    case ControlKind::OptionButton: return "an option button";
    case ControlKind::CheckBox: return "a check box";
    case ControlKind::CommandButton: return "a command button";
    case ControlKind::TextBox: return "a text box";
    case ControlKind::Label: return "a label";
    case ControlKind::ListBox: return "a list box";
    case ControlKind::Timer: return "a timer";
  }
  return "a control";
}

const char* stateName(WindowState s) {
  switch (s) {
    case WindowState::Normal: return "normal";
    case WindowState::Minimized: return "minimized";
    case WindowState::Maximized: return "maximized";
  }
  return "?";
}

}  // namespace

void Runner::moveClock(const DateTime& t) {
  const std::int64_t before = desk_.clock.nowMs();
  desk_.clock.set(t.date, t.time);
  const std::int64_t after = desk_.clock.nowMs();
  // Forward is as after a sleep: what fell due meanwhile fires once at the
  // next run. Back must not stall the program: its timers count elapsed
  // time, not the wall clock, so each keeps the time it had left.
  if (after >= before || !main_) return;
  struct Pending {
    Timer* timer;
    std::int64_t left;
  };
  std::vector<Pending> pending;
  Kivo& app = main_->app();
  const Form* forms[] = {app.main(), app.main()->settingsDialogIfLoaded(),
                         app.main()->windowListDialogIfLoaded()};
  for (const Form* form : forms) {
    if (!form) continue;
    for (Timer* timer : form->timers()) {
      const std::int64_t due = desk_.toolkit.nextDue(*timer);
      if (due >= 0) pending.push_back({timer, due - before});
    }
  }
  // Re-armed in the order they fall due; the toolkit arms a timer one full
  // interval after the clock's time, so the clock stands back for each.
  std::stable_sort(pending.begin(), pending.end(),
                   [](const Pending& a, const Pending& b) { return a.left < b.left; });
  for (const Pending& p : pending) {
    desk_.clock.set(t.date, t.time);
    desk_.clock.advanceMs(p.left - p.timer->interval());
    desk_.toolkit.timerChanged(*p.timer);
  }
  desk_.clock.set(t.date, t.time);
}

void Runner::cmdStart(const Words&) {
  if (main_) throw ScriptError("the program is running already (a second start is \"second\")");
  main_ = std::make_unique<Process>(desk_, false);
  main_->app().start();
}

void Runner::cmdSecond(const Words&) {
  needProgram({"second"});
  // The new process lives only for its start-up: it hands over to the
  // running instance and ends during its own load.
  Process second(desk_, true);
  try {
    second.app().start();
  } catch (const RuntimeError& e) {
    out_ << "second start ended by run-time error " << e.number() << ": " << e.description()
         << "\n";
    return;
  }
  if (!second.over()) out_ << "second start did not end\n";
}

// click, set and close act as the user on the views: what a disabled or
// hidden control shows takes no input, which is then simply lost.
void Runner::cmdClick(const Words& w) {
  Form& form = liveForm(w[1]);
  checkReachable(form);
  Control& c = control(form, w[2]);
  switch (c.kind()) {
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
    case ControlKind::CommandButton: desk_.toolkit.userClick(c); break;
    default: throw ScriptError(w[2] + " is " + kindName(c.kind()) + ": nothing to click");
  }
}

void Runner::cmdSet(const Words& w) {
  Form& form = liveForm(w[1]);
  checkReachable(form);
  Control& c = control(form, w[2]);
  const sim::ControlView* shown = desk_.toolkit.view(c);
  if (!shown) throw ScriptError(w[2] + " has no view");
  switch (c.kind()) {
    case ControlKind::TextBox: desk_.toolkit.userType(static_cast<TextBox&>(c), w[3]); break;
    case ControlKind::CheckBox: {
      // A user ticks and unticks; only the program grays a box.
      const int value = static_cast<int>(parseInteger(w[3], 0, 1, "a check box value"));
      if (shown->value != value) desk_.toolkit.userClick(c);
      break;
    }
    case ControlKind::OptionButton:
      // A user selects an option button; it is cleared by selecting another.
      parseInteger(w[3], 1, 1, "an option value");
      desk_.toolkit.userClick(c);
      break;
    case ControlKind::ListBox: {
      const int rows = static_cast<int>(shown->rows.size());
      if (rows == 0) throw ScriptError(w[2] + " has no rows to select");
      desk_.toolkit.userSelect(static_cast<ListBox&>(c),
                               static_cast<int>(parseInteger(w[3], 0, rows - 1, "a list row")));
      break;
    }
    default: throw ScriptError(w[2] + " is " + kindName(c.kind()) + ": nothing to set");
  }
}

void Runner::cmdClose(const Words& w) {
  const Hwnd h = handleOrForm(w[1]);
  if (!desk_.windows.exists(h)) throw ScriptError("no window " + w[1]);
  // A form's window is closed with its close box: the form unloads.
  if (Form* form = desk_.toolkit.formOf(h)) {
    checkReachable(*form);
    desk_.toolkit.userClose(*form);
    return;
  }
  desk_.windows.closeWindow(h);
}

void Runner::cmdTitle(const Words& w) {
  const Hwnd h = handleOrForm(w[1]);
  const sim::SimWindow* win = desk_.windows.window(h);
  out_ << "title " << w[1] << ": "
       << (win ? std::string(text::cutAtNul(win->title)) : std::string("<no window>")) << "\n";
}

void Runner::cmdValue(const Words& w) {
  Form& form = liveForm(w[1]);
  if (w.size() == 2) {
    out_ << "value " << w[1] << ": " << (form.visible() ? "shown" : "hidden") << " "
         << stateName(form.windowState()) << " " << form.left() << " " << form.top() << " "
         << sim::quote(form.caption()) << "\n";
    return;
  }
  Control& c = control(form, w[2]);
  out_ << "value " << w[1] << " " << w[2] << ": ";
  switch (c.kind()) {
    case ControlKind::CheckBox: out_ << static_cast<CheckBox&>(c).value(); break;
    case ControlKind::OptionButton: out_ << (static_cast<OptionButton&>(c).value() ? 1 : 0); break;
    case ControlKind::TextBox: out_ << sim::quote(static_cast<TextBox&>(c).text()); break;
    case ControlKind::ListBox: {
      const auto& list = static_cast<ListBox&>(c);
      out_ << list.listIndex();
      for (const std::string& row : list.rows()) out_ << " " << sim::quote(row);
      break;
    }
    case ControlKind::Timer: {
      const auto& t = static_cast<Timer&>(c);
      out_ << (t.enabled() ? "on " : "off ") << t.interval();
      break;
    }
    default: out_ << sim::quote(c.caption());
  }
  // A timer's enabled state is its on/off, printed already.
  const bool showDisabled = !c.enabled() && c.kind() != ControlKind::Timer;
  out_ << (showDisabled ? " disabled" : "") << "\n";
}

void Runner::cmdPrint(const Words& w) {
  Kivo& app = needProgram(w);
  const CaptionEngine::State& e = app.engine().state();
  const RunningSettings& s = app.settings();
  const MainWindow& m = *app.main();
  const auto q = [](const std::string& t) { return sim::quote(t); };
  const auto n = [](auto v) { return std::to_string(static_cast<long long>(v)); };
  const auto timer = [&](const Timer& t) {
    return std::string(t.enabled() ? "on " : "off ") + n(t.interval());
  };
  const WindowList& list = s.windowList;
  const CompanionFlags& companions = s.companions;
  // The names scripts print, in their order, and where each lives now.
  const std::vector<std::pair<const char*, std::string>> fields{
      {"strOrgCap", q(e.ownTitle)},
      {"strLastCap", q(e.lastCaption)},
      {"strNowCap", q(e.caption)},
      {"strClock", q(e.clock)},
      {"bytWListCount", n(list.count)},
      {"bExcludedWnd", n(e.leftAlone)},
      {"strLastClock", q(e.lastClock)},
      {"hActiveWnd", n(e.front)},
      {"bEqualSeparate", n(s.layout.equalsSeparator)},
      {"bClockRight", n(s.layout.clockRight)},
      {"intCheckInterval", n(s.checkInterval)},
      {"bAlarm", n(s.alarm.on)},
      {"strAlarmMessage", q(s.alarm.message)},
      {"strAlarmTime", q(s.alarm.time)},
      {"strWindowList", q(list.classes[0]) + " " + q(list.classes[1]) + " " + q(list.classes[2])},
      {"strClockTemplate", q(s.clockTemplate)},
      {"PlugInFlags", n(companions.versionMarkH) + " " + n(companions.versionMarkT) + " " +
                          n(companions.customTemplate)},
      {"hLastWnd", n(e.followed)},
      {"strLastTime", q(e.lastKey ? e.lastKey->text() : std::string())},
      {"bSignalDone", n(app.hourlySignals().given())},
      {"bytFlashCount", n(app.flash().count())},
      {"bytFlashLimit", n(app.flash().limit())},
      {"bAlarmRepeat", n(app.alarm().snoozing())},
      {"bytAlarmWait", n(app.alarm().checksSinceSnooze())},
      {"tmrMain", timer(*m.tickTimer)},
      {"tmrFlash", timer(*m.flashTimer)},
  };
  bool found = false;
  for (const auto& [name, value] : fields) {
    if (w.size() == 2 && w[1] != name) continue;
    out_ << name << " " << value << "\n";
    found = true;
  }
  if (!found) throw ScriptError("print: unknown name \"" + w[1] + "\"");
}

void Runner::cmdEvents(const Words&) {
  for (const std::string& line : desk_.log.take()) out_ << line << "\n";
}

}  // namespace kivo::simscript
